#pragma once

#include "sim/units/UnitAddresses.h"
#include "sim/units/UnitEmulatorThread.h"

#include <memory>

namespace A = UnitAddresses;

// Starts emulated DSP units from `firstAddress` on free ports, on a thread of their own,
// and the HV unit after them when asked; null (with `error` set) when a socket could not
// be bound.
inline std::unique_ptr<UnitEmulatorThread> startEmulatedUnits(const QString& firstAddress, int dspUnits,
                                                              QString* error, bool hvUnit = false)
{
    EmulatorConfig config;
    config.firstAddress = QHostAddress(firstAddress);
    config.dspUnits = dspUnits;
    config.hvUnit = hvUnit;
    auto emu = std::make_unique<UnitEmulatorThread>(config);
    if (!emu->start(error)) emu.reset();
    return emu;
}

// Pins a 48-bit time (3 words) or a 32-bit counter (2 words), most significant word first.
inline void pinWords(UnitEmulatorThread& emu, int unit, quint32 address, quint64 value, int words)
{
    for (int i = 0; i < words; ++i)
        emu.pinReg(unit, address + 2 * quint32(i), quint16(value >> (16 * (words - 1 - i))));
}

inline quint32 channelAddress(quint32 channel0Address, int ch)
{
    return channel0Address + A::channelStride * quint32(ch);
}
