#include "MeasurementModel.h"

#include "UnitAddresses.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using UnitAddresses::nsPerTick;
using UnitAddresses::ticksPerSecond;

// Peak positions of channel c sit a few per cent apart.
constexpr double gainStep = 0.04;

quint64 channelSeed(quint64 seed, int ch)
{
    std::seed_seq seq{quint32(seed), quint32(seed >> 32), quint32(ch)};
    quint32 out[2];
    seq.generate(out, out + 2);
    return quint64(out[0]) << 32 | out[1];
}

} // namespace

MeasurementModel::MeasurementModel(const std::array<double, channels>& rates, quint64 seed)
    : rates_(rates), samplers_{PulseHeightSampler(1.0, channelSeed(seed, 0)),
                               PulseHeightSampler(1.0 + gainStep, channelSeed(seed, 1)),
                               PulseHeightSampler(1.0 + 2 * gainStep, channelSeed(seed, 2)),
                               PulseHeightSampler(1.0 + 3 * gainStep, channelSeed(seed, 3))},
      preset_(UnitAddresses::noPreset)
{
    for (Channel& c : ch_)
        c.bins.fill(0, UnitAddresses::histogramBins);
}

void MeasurementModel::fold(qint64 nowNs)
{
    const quint64 real = realTicks(nowNs);
    for (int c = 0; c < channels; ++c)
        ch_[c].deadAtFold = deadTicks(c, nowNs);
    realAtFold_ = real;
    foldNs_ = nowNs;
    // The preset reached, the unit stops counting by itself.
    if (real >= preset_) counting_ = false;
}

void MeasurementModel::start(qint64 nowNs)
{
    fold(nowNs);
    counting_ = realAtFold_ < preset_;
}

void MeasurementModel::stop(qint64 nowNs)
{
    fold(nowNs);
    counting_ = false;
}

void MeasurementModel::setPreset(quint64 ticks, qint64 nowNs)
{
    fold(nowNs);
    preset_ = std::min(ticks, UnitAddresses::noPreset);
}

void MeasurementModel::setDeadTimePerEvent(int ch, double seconds, qint64 nowNs)
{
    fold(nowNs);
    ch_[ch].deadPerEvent = std::max(0.0, seconds);
}

void MeasurementModel::clear(qint64 nowNs)
{
    fold(nowNs);
    realAtFold_ = 0;
    for (Channel& c : ch_) {
        c.deadAtFold = 0;
        c.bins.fill(0);
        c.filledLiveTicks = 0;
        c.fixed = false;
    }
    // Counting continues from zero unless the unit was idle or at its preset.
    counting_ = counting_ && preset_ > 0;
}

bool MeasurementModel::counting(qint64 nowNs) const
{
    return counting_ && realTicks(nowNs) < preset_;
}

quint64 MeasurementModel::realTicks(qint64 nowNs) const
{
    if (!counting_ || realAtFold_ >= preset_) return realAtFold_;
    const quint64 since = quint64(std::max<qint64>(0, nowNs - foldNs_) / nsPerTick);
    return std::min(preset_, realAtFold_ + since);
}

double MeasurementModel::deadFraction(int ch) const
{
    // Non-paralysable: of n events per second, each taken one blinds for tau, so the
    // share of time spent blind is n tau / (1 + n tau).
    const double nTau = rates_[ch] * ch_[ch].deadPerEvent;
    return nTau / (1 + nTau);
}

quint64 MeasurementModel::deadTicks(int ch, qint64 nowNs) const
{
    const quint64 stretch = realTicks(nowNs) - realAtFold_;
    return ch_[ch].deadAtFold + quint64(std::floor(double(stretch) * deadFraction(ch)));
}

quint64 MeasurementModel::inputCount(int ch, qint64 nowNs) const
{
    return quint64(std::floor(rates_[ch] * double(realTicks(nowNs)) / ticksPerSecond));
}

quint64 MeasurementModel::throughputCount(int ch, qint64 nowNs) const
{
    return quint64(std::floor(rates_[ch] * double(liveTicks(ch, nowNs)) / ticksPerSecond));
}

double MeasurementModel::throughputRate(int ch) const
{
    return rates_[ch] * (1 - deadFraction(ch));
}

const QVector<quint32>& MeasurementModel::histogram(int ch, qint64 nowNs)
{
    Channel& c = ch_[ch];
    const quint64 live = liveTicks(ch, nowNs);
    if (!c.fixed && live > c.filledLiveTicks) {
        samplers_[ch].addEvents(c.bins, rates_[ch] * double(live - c.filledLiveTicks) / ticksPerSecond);
        c.filledLiveTicks = live;
    }
    return c.bins;
}

void MeasurementModel::setHistogram(int ch, const QVector<quint32>& bins)
{
    Channel& c = ch_[ch];
    c.bins = bins;
    c.bins.resize(UnitAddresses::histogramBins);
    c.fixed = true;
}
