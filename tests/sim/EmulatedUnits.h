#pragma once

#include "sim/units/UnitEmulatorThread.h"

#include <memory>

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
