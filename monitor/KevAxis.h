#pragma once

#include "analysis/Calibration.h"

#include <optional>

class QwtPlot;

// The channel axis of a spectrum plot labelled in keV: ticks at round energies, each placed
// at its channel, so that zooming, panning and the ROI zones stay in channels. Bin i is drawn
// over [i, i + 1): channel c sits at c + 0.5.
namespace KevAxis {

// keV labels on the plot's bottom axis under `calibration`, or channels again without one.
void apply(QwtPlot* plot, const std::optional<Analysis::Calibration>& calibration);

} // namespace KevAxis
