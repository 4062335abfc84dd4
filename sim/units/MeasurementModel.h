#pragma once

#include "PulseHeightSampler.h"

#include <QVector>

#include <array>

// The measurement of one four-channel DSP unit, worked out lazily: every question carries
// the current time of a monotonic clock (ns), and the answer is computed for that instant.
// Times count 10 ns ticks. Dead time follows a non-paralysable model: each event taken
// blinds its channel for a fixed time, so live = real - dead and the histogram receives
// on average rate x live events.
class MeasurementModel
{
public:
    static constexpr int channels = 4;

    // rates: input counts per second of each channel; seed makes the histograms repeatable.
    MeasurementModel(const std::array<double, channels>& rates, quint64 seed);

    void start(qint64 nowNs);
    void stop(qint64 nowNs);
    void setPreset(quint64 ticks, qint64 nowNs); // noPreset: no limit
    void setDeadTimePerEvent(int ch, double seconds, qint64 nowNs);
    // Zeroes times, counters and histograms; a running measurement goes on from zero.
    void clear(qint64 nowNs);

    bool counting(qint64 nowNs) const;
    quint64 realTicks(qint64 nowNs) const;
    quint64 deadTicks(int ch, qint64 nowNs) const;
    quint64 liveTicks(int ch, qint64 nowNs) const { return realTicks(nowNs) - deadTicks(ch, nowNs); }
    quint64 inputCount(int ch, qint64 nowNs) const;      // events arrived so far
    quint64 throughputCount(int ch, qint64 nowNs) const; // events taken so far, on average
    double inputRate(int ch) const { return rates_[ch]; }
    double throughputRate(int ch) const;

    // The histogram as of nowNs.
    const QVector<quint32>& histogram(int ch, qint64 nowNs);
    // Replaces a histogram; it keeps exactly these bins (no events added) until clear().
    void setHistogram(int ch, const QVector<quint32>& bins);

private:
    // Carries the running stretch into the accumulated values, so that a change of
    // preset or dead time applies from now on only.
    void fold(qint64 nowNs);
    double deadFraction(int ch) const;

    struct Channel
    {
        double deadPerEvent = 5e-6; // seconds
        quint64 deadAtFold = 0;     // ticks
        QVector<quint32> bins;
        quint64 filledLiveTicks = 0; // live time the bins already account for
        bool fixed = false;          // set from outside: no events added
    };

    std::array<double, channels> rates_;
    std::array<Channel, channels> ch_;
    std::array<PulseHeightSampler, channels> samplers_;
    bool counting_ = false;
    quint64 preset_;
    quint64 realAtFold_ = 0;
    qint64 foldNs_ = 0;
};
