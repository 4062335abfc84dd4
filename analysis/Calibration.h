#pragma once

#include <optional>

namespace Analysis {

// The energy of a channel of one element: E = offset + gain * ch + quad * ch^2, in keV.
struct Calibration
{
    double offset = 0; // keV
    double gain = 1;   // keV per channel
    double quad = 0;   // keV per channel squared

    double kev(double channel) const { return offset + (gain + quad * channel) * channel; }
    // keV per channel at `channel`.
    double slope(double channel) const { return gain + 2 * quad * channel; }
    // True when every term is finite and the energy rises over the whole of binCount bins,
    // channels -0.5 to binCount - 0.5. Only such a calibration has an inverse there.
    bool risesOver(int binCount) const;
    // The channel of `kev` within the bins, -0.5 to binCount - 0.5: for a parabola the root
    // that lies there. Empty when the energy lies outside or the calibration does not rise.
    std::optional<double> channel(double kev, int binCount) const;
    // A width in channels at `channel` in keV, through the local slope there. For a parabola
    // this equals the difference of the converted edges channel -/+ width / 2.
    double widthKev(double channel, double width) const { return width * slope(channel); }

    bool operator==(const Calibration& o) const
    {
        return offset == o.offset && gain == o.gain && quad == o.quad;
    }
};

} // namespace Analysis
