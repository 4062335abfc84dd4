#include "HvSupply.h"

#include <algorithm>
#include <cmath>

HvSupply::HvSupply(double targetVolts, int rampMs, bool positive)
    : target_(std::min(std::abs(targetVolts), fullScaleVolts) * (positive ? 1 : -1)),
      voltsPerNs_(rampMs > 0 ? std::abs(target_) / (rampMs * 1e6) : 0), positive_(positive)
{
}

void HvSupply::switchOn(bool on, qint64 nowNs)
{
    if (on == on_) return;
    fromVolts_ = volts(nowNs);
    fromNs_ = nowNs;
    on_ = on;
}

double HvSupply::volts(qint64 nowNs) const
{
    const double goal = on_ ? target_ : 0.0;
    if (voltsPerNs_ <= 0) return goal;
    const double step = voltsPerNs_ * double(std::max<qint64>(0, nowNs - fromNs_));
    if (std::abs(goal - fromVolts_) <= step) return goal;
    return goal > fromVolts_ ? fromVolts_ + step : fromVolts_ - step;
}

HvSupply::Sweep HvSupply::sweep(qint64 nowNs) const
{
    const double goal = on_ ? target_ : 0.0;
    if (volts(nowNs) != goal) return Trans;
    return on_ ? On : Off;
}

quint16 HvSupply::statusWord(qint64 nowNs, bool emergency) const
{
    quint16 w = sweep(nowNs);
    if (on_) w |= onBit;
    if (positive_) w |= positiveBit;
    if (emergency) w |= emergencyBits;
    return w;
}

quint16 HvSupply::voltageWord(qint64 nowNs) const
{
    const double w = std::round(zeroWord + volts(nowNs) / fullScaleVolts * zeroWord);
    return quint16(std::clamp(w, 0.0, 65535.0));
}
