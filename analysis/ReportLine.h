#pragma once

#include "analysis/Calibration.h"
#include "analysis/RoiReport.h"

#include <QString>

namespace Analysis {

// One line of the command-line analysis for one element and ROI, key=value pairs:
//
//     element=0 roi=620-760 gross=48213 net=40122.5 net_err=251.3 centroid=690.42 fwhm=12.87
//
// and, with a calibration, centroid_kev= and fwhm_kev= after them (the width through the
// local slope at the centroid). Counts with 0 (gross) or 1 decimal, channels with 2, keV
// with 3, in the C locale. A quantity that is not available reads notAvailable.
constexpr char notAvailable[] = "n/a";

QString reportLine(int element, const RoiReport& report, const std::optional<Calibration>& calibration);

} // namespace Analysis
