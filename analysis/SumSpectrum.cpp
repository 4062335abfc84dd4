#include "analysis/SumSpectrum.h"

#include <QtMath>

namespace Analysis {

namespace {

bool calibrated(const QVector<Spectrum>& spectra, const QVector<Calibration>& calibrations)
{
    if (spectra.size() != calibrations.size()) return false;
    for (int k = 0; k < spectra.size(); ++k)
        if (!spectra.at(k).isEmpty() && !calibrations.at(k).risesOver(spectra.at(k).size())) return false;
    return true;
}

// Adds `source` to `sum` on `axis`; returns the counts that fall outside it.
double addRebinned(const Spectrum& source, const Calibration& cal, const EnergyAxis& axis, Spectrum& sum)
{
    double outside = 0;
    for (int i = 0; i < source.size(); ++i) {
        const double counts = source.at(i);
        if (counts == 0) continue;
        // The source bin in units of target bins.
        const double from = (cal.kev(i - 0.5) - axis.lowEdge) / axis.binWidth;
        const double to = (cal.kev(i + 0.5) - axis.lowEdge) / axis.binWidth;
        if (!(from < axis.binCount && to > 0)) {
            outside += counts;
            continue;
        }
        double placed = 0;
        for (int j = from > 0 ? int(from) : 0; j < axis.binCount && j < to; ++j) {
            const double share = counts * (qMin(to, j + 1.0) - qMax(from, double(j))) / (to - from);
            sum[j] += share;
            placed += share;
        }
        outside += counts - placed;
    }
    return outside;
}

} // namespace

Spectrum sumChannels(const QVector<Spectrum>& spectra)
{
    Spectrum sum;
    for (const Spectrum& s : spectra) {
        if (s.size() > sum.size()) sum.resize(s.size());
        for (int i = 0; i < s.size(); ++i)
            sum[i] += s.at(i);
    }
    return sum;
}

std::optional<EnergyAxis> commonAxis(const QVector<Spectrum>& spectra,
                                     const QVector<Calibration>& calibrations)
{
    if (!calibrated(spectra, calibrations)) return std::nullopt;
    EnergyAxis axis;
    double high = 0;
    for (int k = 0; k < spectra.size(); ++k) {
        const int bins = spectra.at(k).size();
        if (bins == 0) continue;
        const double low = calibrations.at(k).kev(-0.5), top = calibrations.at(k).kev(bins - 0.5);
        axis.lowEdge = axis.binCount == 0 ? low : qMin(axis.lowEdge, low);
        high = axis.binCount == 0 ? top : qMax(high, top);
        axis.binCount = qMax(axis.binCount, bins);
    }
    if (axis.binCount == 0) return std::nullopt;
    axis.binWidth = (high - axis.lowEdge) / axis.binCount;
    return axis;
}

bool sumOnAxis(const QVector<Spectrum>& spectra, const QVector<Calibration>& calibrations,
               const EnergyAxis& axis, Spectrum* sum, double* outside)
{
    if (!calibrated(spectra, calibrations) || axis.binCount <= 0 || !qIsFinite(axis.lowEdge) ||
        !qIsFinite(axis.binWidth) || !(axis.binWidth > 0))
        return false;
    Spectrum counts(axis.binCount);
    double lost = 0;
    for (int k = 0; k < spectra.size(); ++k)
        lost += addRebinned(spectra.at(k), calibrations.at(k), axis, counts);
    *sum = counts;
    if (outside) *outside = lost;
    return true;
}

} // namespace Analysis
