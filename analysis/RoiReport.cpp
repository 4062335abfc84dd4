#include "analysis/RoiReport.h"

#include <QtMath>

namespace Analysis {

namespace {

// Where the net counts first fall below `half`, walking from the maximum at `top` by `step`:
// the crossing, linearly interpolated; empty when they do not before leaving the ROI.
std::optional<double> halfCrossing(const Spectrum& net, int top, int step, double half)
{
    for (int i = top + step; i >= 0 && i < net.size(); i += step) {
        if (net.at(i) >= half) continue;
        const double above = net.at(i - step);
        return i - step + step * (above - half) / (above - net.at(i));
    }
    return std::nullopt;
}

} // namespace

RoiReport analyzeRoi(const Spectrum& counts, int start, int end)
{
    using Status = RoiReport::Status;
    RoiReport r;
    r.start = start;
    r.end = end;
    if (start > end) return r;
    r.status = Status::OutsideSpectrum;
    if (start < 0 || end >= counts.size()) return r;
    r.status = Status::InvalidCounts;
    double gross = 0;
    for (int i = start; i <= end; ++i) {
        const double c = counts.at(i);
        if (!(c >= 0 && c <= RoiReport::maxCount)) return r; // NaN fails too
        gross += c;
    }
    r.gross = gross;
    const int n = end - start + 1;
    r.status = Status::TooNarrow;
    if (n < RoiReport::minChannels) return r;

    const double sumLeft = counts.at(start) + counts.at(start + 1) + counts.at(start + 2);
    const double sumRight = counts.at(end - 2) + counts.at(end - 1) + counts.at(end);
    const double scale = n / 6.0;
    r.background = scale * (sumLeft + sumRight);
    r.net = gross - *r.background;
    r.netError = qSqrt(gross + scale * scale * (sumLeft + sumRight));

    r.status = Status::NoPeak;
    if (!(*r.net > RoiReport::peakSignificance * *r.netError)) return r;
    // Net counts of the ROI alone, index 0 at start; the line runs through the edge means.
    const double left = sumLeft / 3, right = sumRight / 3;
    const double rise = (right - left) / (n - 3);
    Spectrum net(n);
    double moment = 0;
    int top = 0;
    for (int k = 0; k < n; ++k) {
        net[k] = counts.at(start + k) - (left + rise * (k - 1));
        moment += k * net.at(k);
        if (net.at(k) > net.at(top)) top = k;
    }
    const double centroid = moment / *r.net;
    const double half = net.at(top) / 2;
    const std::optional<double> low = halfCrossing(net, top, -1, half);
    const std::optional<double> high = halfCrossing(net, top, +1, half);
    // Neither fails for a peak that stands out; a shape that makes them is no peak.
    if (!(centroid >= 0 && centroid <= n - 1) || !low || !high) return r;
    r.centroid = start + centroid;
    r.fwhm = *high - *low;
    r.status = Status::Complete;
    return r;
}

} // namespace Analysis
