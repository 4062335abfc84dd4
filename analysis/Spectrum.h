#pragma once

#include <QVector>

namespace Analysis {

// Counts per bin; the counts of bin i sit at channel i, so bin i spans channels i - 0.5 to
// i + 0.5. Real numbers, because a sum spectrum on an energy axis holds shares of counts.
using Spectrum = QVector<double>;

inline Spectrum countsOf(const QVector<quint32>& bins)
{
    return Spectrum(bins.cbegin(), bins.cend());
}

} // namespace Analysis
