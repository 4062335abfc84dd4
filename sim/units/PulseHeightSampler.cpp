#include "PulseHeightSampler.h"

#include "UnitAddresses.h"

#include <algorithm>
#include <cmath>

namespace {

struct Peak
{
    double bin;   // position at gain 1
    double sigma; // width at gain 1
    double area;  // share of all events
};

// An X-ray line, an annihilation line, a strong single line and a cascade pair.
constexpr Peak peaks[] = {
    {32, 2.5, 0.04}, {511, 9, 0.07}, {662, 10, 0.18}, {1173, 14, 0.06}, {1332, 15, 0.05},
};
constexpr double backgroundDecayBins = 420;
constexpr int thresholdBin = 12; // nothing below the lower discriminator
// Above this many events per stretch, one Poisson draw per bin is cheaper than one draw per event.
constexpr double eventByEventLimit = 20000;

} // namespace

PulseHeightSampler::PulseHeightSampler(double gain, quint64 seed) : rng_(seed)
{
    const int n = UnitAddresses::histogramBins;
    double peakArea = 0;
    for (const Peak& p : peaks)
        peakArea += p.area;
    std::vector<double> density(n, 0.0);
    double background = 0;
    for (int i = thresholdBin; i < n; ++i)
        background += std::exp(-i / (backgroundDecayBins * gain));
    for (int i = thresholdBin; i < n; ++i) {
        double d = (1 - peakArea) * std::exp(-i / (backgroundDecayBins * gain)) / background;
        for (const Peak& p : peaks) {
            const double sigma = p.sigma * gain;
            const double z = (i - p.bin * gain) / sigma;
            d += p.area * std::exp(-0.5 * z * z) / (sigma * std::sqrt(2 * M_PI));
        }
        density[i] = d;
    }
    cdf_.resize(n);
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        sum += density[i];
        cdf_[i] = sum;
    }
    // Tails of the peaks beyond the ends are dropped; the rest is scaled to one.
    for (double& c : cdf_)
        c /= sum;
    cdf_.back() = 1.0;
}

double PulseHeightSampler::probability(int bin) const
{
    return bin == 0 ? cdf_[0] : cdf_[bin] - cdf_[bin - 1];
}

void PulseHeightSampler::addEvents(QVector<quint32>& bins, double expected)
{
    if (expected <= 0) return;
    if (expected > eventByEventLimit) {
        addBinByBin(bins, expected);
        return;
    }
    std::poisson_distribution<qint64> total(expected);
    addEventByEvent(bins, quint64(total(rng_)));
}

void PulseHeightSampler::addEventByEvent(QVector<quint32>& bins, quint64 events)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    quint32* out = bins.data();
    for (quint64 k = 0; k < events; ++k) {
        const auto it = std::upper_bound(cdf_.begin(), cdf_.end(), uniform(rng_));
        const auto bin = std::min<std::ptrdiff_t>(it - cdf_.begin(), std::ptrdiff_t(cdf_.size()) - 1);
        ++out[bin];
    }
}

void PulseHeightSampler::addBinByBin(QVector<quint32>& bins, double expected)
{
    quint32* out = bins.data();
    for (int i = 0; i < int(cdf_.size()); ++i) {
        const double mean = expected * probability(i);
        if (mean <= 0) continue;
        std::poisson_distribution<qint64> count(mean);
        out[i] += quint32(count(rng_));
    }
}
