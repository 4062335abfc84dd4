#pragma once

#include <QtGlobal>

// The high-voltage output, worked out lazily from a monotonic clock (ns). Switched on, it
// ramps at a fixed speed to the target (negative for negative polarity); switched off, back
// to 0 V. The speed is such that a full ramp between 0 V and the target takes rampMs.
class HvSupply
{
public:
    enum Sweep : quint16 { Off = 0, Trans = 2, On = 4 };
    static constexpr quint16 onBit = 0x10;
    static constexpr quint16 positiveBit = 0x20;
    static constexpr quint16 emergencyBits = 0xC0;
    static constexpr double fullScaleVolts = 200;
    static constexpr int zeroWord = 32767;

    HvSupply(double targetVolts, int rampMs, bool positive);

    void switchOn(bool on, qint64 nowNs);
    bool isSwitchedOn() const { return on_; }
    double volts(qint64 nowNs) const;
    Sweep sweep(qint64 nowNs) const;
    // Low four bits the sweep, bit 4 switched on, bit 5 positive polarity, bits 6-7 emergency.
    quint16 statusWord(qint64 nowNs, bool emergency) const;
    // W with volts = (W - 32767) / 32767 * 200, rounded to the nearest word.
    quint16 voltageWord(qint64 nowNs) const;

private:
    double target_;     // volts when on, sign of the polarity
    double voltsPerNs_; // ramp speed; 0 means at once
    bool positive_;
    bool on_ = false;
    double fromVolts_ = 0; // where the running ramp started
    qint64 fromNs_ = 0;
};
