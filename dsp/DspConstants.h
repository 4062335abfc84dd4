#pragma once

#include <QtGlobal>

// Numbers the units' documentation fixes, named once for every controller and handler.
namespace Dsp {
constexpr int binCount = 4096; // bins of every channel's histogram (the MCA length)
constexpr int channelsPerUnit = 4;
constexpr int histogramBytes = binCount * 4; // on the data connection: 32-bit bins
constexpr double secondsPerTick = 1e-8;      // times and presets count ticks of 10 ns
constexpr double ticksPerSecond = 1e8;
constexpr quint64 largestTicks = Q_UINT64_C(0xFFFFFFFFFFFF); // what the 48-bit time registers hold
constexpr quint64 maxMeasTime = Q_UINT64_C(0x0FFFFFFFFFFF);  // the preset that means "no preset"
constexpr int defaultRoiEnd = 2047;                          // a new channel's ROI: bins 0 to 2047
constexpr double peakingTimePerStep = 0.01; // SFilterPeakingT counts steps of 0.01 (10 ns in us)
constexpr int dtDelayTicksPerMs = 125000;   // the data transfer delay counts a 125 MHz clock
} // namespace Dsp
