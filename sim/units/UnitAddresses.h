#pragma once

#include <QtGlobal>

// The register addresses the emulated units give a meaning to. Written down here on their
// own, from the units' documentation, so that the emulator does not share a mistake with
// the program it is meant to check.
namespace UnitAddresses {
// Unit-wide DSP registers.
constexpr quint32 dtDelay1 = 0x00000008;
constexpr quint32 dtDelay2 = 0x0000000A;
constexpr quint32 mode = 0xB4000010;
constexpr quint32 start = 0xB4000014;
constexpr quint32 measTime1 = 0xB4000016; // 48-bit preset, most significant word first
constexpr quint32 measTime3 = 0xB400001A;
constexpr quint32 realTime1 = 0xB400001C; // 48-bit, read-only
constexpr quint32 realTime3 = 0xB4000020;
constexpr quint32 clear = 0xB4000040;
constexpr quint32 histgram = 0xB400004A;

// Per-channel DSP registers, channel 0; channel c adds c * channelStride.
constexpr quint32 channelBase = 0xB4000200;
constexpr quint32 channelStride = 0x200;
constexpr int channelCount = 4;
constexpr quint32 sFilterPeakingT = 0xB400020A;
constexpr quint32 fTotalCount1 = 0xB400021C; // 32-bit input events so far
constexpr quint32 fTotalCount2 = 0xB400021E;
constexpr quint32 thTotalCount1 = 0xB4000220; // 32-bit events taken into the histogram
constexpr quint32 thTotalCount2 = 0xB4000222;
constexpr quint32 icr1 = 0xB400022C; // 32-bit input count rate, counts per second
constexpr quint32 icr2 = 0xB400022E;
constexpr quint32 thCountR1 = 0xB4000230; // 32-bit throughput rate, counts per second
constexpr quint32 thCountR2 = 0xB4000232;
constexpr quint32 liveTime1 = 0xB4000246; // 48-bit
constexpr quint32 liveTime3 = 0xB400024A;
constexpr quint32 deadTime1 = 0xB400024C; // 48-bit
constexpr quint32 deadTime3 = 0xB4000250;

// The HV unit.
constexpr quint32 hvStat = 0xB4002200;  // read-only status word
constexpr quint32 hvValue = 0xB4002202; // read-only voltage word
constexpr quint32 hvOnOff = 0xB400220E; // 1 on, 0 off

// Times count ticks of 10 ns; the largest 48-bit preset below means "no preset".
constexpr quint64 ticksPerSecond = 100000000;
constexpr qint64 nsPerTick = 10;
constexpr quint64 noPreset = Q_UINT64_C(0x0FFFFFFFFFFF);
constexpr int histogramBins = 4096;
constexpr int histogramBytes = histogramBins * 4;
} // namespace UnitAddresses
