#pragma once

#include <QVector>

#include <random>
#include <vector>

// Draws the events of one channel into its histogram, gamma-ray-like: a few Gaussian
// full-energy peaks on a falling exponential background, with Poisson counts.
// `gain` stretches the energy scale so that channels can be told apart; the same seed gives
// the same draws.
class PulseHeightSampler
{
public:
    PulseHeightSampler(double gain, quint64 seed);

    // Adds the events of a stretch in which `expected` events were due on average. Any split
    // of a stretch into parts gives counts of the same law, so the caller may add lazily.
    void addEvents(QVector<quint32>& bins, double expected);

    // Probability of an event landing in bin i.
    double probability(int bin) const;

private:
    void addEventByEvent(QVector<quint32>& bins, quint64 events);
    void addBinByBin(QVector<quint32>& bins, double expected);

    std::vector<double> cdf_; // cdf_[i]: probability of a bin <= i; the last entry is 1
    std::mt19937_64 rng_;
};
