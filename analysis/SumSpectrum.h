#pragma once

#include "analysis/Calibration.h"
#include "analysis/Spectrum.h"

#include <optional>

namespace Analysis {

// The sum of the selected elements' spectra bin by bin, as long as the longest of them.
Spectrum sumChannels(const QVector<Spectrum>& spectra);

// Equal bins on an energy scale: bin j spans lowEdge + j * binWidth to lowEdge + (j + 1) * binWidth.
struct EnergyAxis
{
    double lowEdge = 0;  // keV
    double binWidth = 1; // keV
    int binCount = 0;

    // The axis as a calibration of its own bins: the energy of bin j's centre.
    Calibration calibration() const { return Calibration{lowEdge + binWidth / 2, binWidth, 0}; }
};

// The axis for summing `spectra` with their `calibrations` (one each, same order): from the
// lowest energy of any spectrum (the low edge of its bin 0) to the highest (the high edge of
// its last bin), in as many bins as the longest spectrum has. Empty when there is no spectrum
// with bins, the lists differ in length, or a calibration does not rise over its spectrum.
std::optional<EnergyAxis> commonAxis(const QVector<Spectrum>& spectra,
                                     const QVector<Calibration>& calibrations);

// The spectra summed on `axis`: each bin's counts spread evenly over its energy interval and
// split among the target bins in proportion to the overlap. The total is conserved, up to
// rounding, except for what falls outside the axis, which goes to `outside` (when given).
// False, with `sum` untouched, when the lists differ in length, a calibration does not rise
// over its spectrum, or the axis has no bins or no positive finite width.
bool sumOnAxis(const QVector<Spectrum>& spectra, const QVector<Calibration>& calibrations,
               const EnergyAxis& axis, Spectrum* sum, double* outside = nullptr);

} // namespace Analysis
