#pragma once

#include "analysis/Calibration.h"

#include <QString>
#include <QVector>

namespace Analysis {

// A peak marked in a spectrum (its centroid, in channels) with the energy it is known to have.
struct CalibrationPoint
{
    double channel = 0;
    double kev = 0;
};

enum class CalibrationShape {
    Line,     // offset and gain, from 2 or more points at different channels
    Parabola, // offset, gain and quad, from 3 or more points at different channels
};

// The least-squares calibration of `shape` through `points` (through them exactly when there
// are just enough). False, with a reason in `error` and `calibration` untouched, when there
// are too few points at different channels, a number is not finite, or the result does not
// rise over binCount bins.
bool fitCalibration(const QVector<CalibrationPoint>& points, CalibrationShape shape, int binCount,
                    Calibration* calibration, QString* error);

} // namespace Analysis
