#include "hv/HvWord.h"

#include <cmath>

namespace {
constexpr quint16 sweepMask = 0x0F;
// Bits 4 and 5 (on, positive) count too: the panel has always shown it that way.
constexpr quint16 emergencyMask = 0xF0;
constexpr quint16 positiveBit = 0x20;
constexpr quint16 onBit = 0x10;
constexpr double zeroWord = 32767;
} // namespace

HvStatus decodeHvStatus(quint16 word)
{
    HvStatus s;
    s.inEmergency = (word & emergencyMask) != 0;
    s.isPositive = (word & positiveBit) != 0;
    s.isOn = (word & onBit) != 0;
    switch (word & sweepMask) {
    case 0:
        s.sweepStat = HvStat::Off;
        break;
    case 2:
        s.sweepStat = HvStat::Trans;
        break;
    case 4:
        s.sweepStat = HvStat::On;
        break;
    default:
        s.sweepStat = HvStat::Unknown;
        break;
    }
    return s;
}

double hvVolts(quint16 word, double fullScale)
{
    return (double(word) - zeroWord) / zeroWord * fullScale;
}

bool isVoltageStep(double volts, double lastVolts, double step)
{
    return std::abs(volts - lastVolts) > step;
}

int sweepNumber(HvStat::SweepStat stat)
{
    switch (stat) {
    case HvStat::Off:
        return 0;
    case HvStat::Trans:
        return 1;
    case HvStat::On:
        return 2;
    default:
        return -1;
    }
}
