#include "analysis/Calibration.h"

#include <QtMath>

namespace Analysis {

bool Calibration::risesOver(int binCount) const
{
    // The slope is linear in the channel: positive at both ends means positive between.
    return qIsFinite(offset) && qIsFinite(gain) && qIsFinite(quad) && binCount > 0 && slope(-0.5) > 0 &&
           slope(binCount - 0.5) > 0;
}

std::optional<double> Calibration::channel(double energy, int binCount) const
{
    const double first = -0.5, last = binCount - 0.5;
    if (!risesOver(binCount) || !(energy >= kev(first) && energy <= kev(last))) return std::nullopt;
    // The root of quad * ch^2 + gain * ch + (offset - energy) where the slope is positive, the
    // only one in a rising range; written so that it loses no digits when quad is small or 0.
    const double rise = energy - offset;
    const double slopeThere = qSqrt(qMax(0.0, gain * gain + 4 * quad * rise));
    return qBound(first, 2 * rise / (gain + slopeThere), last);
}

} // namespace Analysis
