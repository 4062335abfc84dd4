#pragma once

namespace Analysis {

// The dead-time alarm of one element. Fed every block of the element as it comes (busy flag,
// real and live time), it says when to raise the alarm: the first time in a run that the dead
// fraction is above the threshold, once. It keeps the run's highest dead fraction for the run
// log. A run begins where busy goes from 0 to 1 (or with the first sample, if that is busy);
// the samples after its end, until the next begins, still belong to it.
class DeadTimeAlarm
{
public:
    static constexpr double defaultThreshold = 0.10;

    // (real - live) / real; 0 when real is 0 or either is not finite.
    static double deadFraction(double realTime, double liveTime);

    explicit DeadTimeAlarm(double threshold = defaultThreshold) : limit(threshold) {}

    // True exactly when the alarm is to be raised now.
    bool feed(bool busy, double realTime, double liveTime);
    double threshold() const { return limit; }
    // Whether the alarm was raised in this run, and the highest dead fraction fed in it (0 before any).
    bool raised() const { return alarmed; }
    double peak() const { return highest; }

private:
    double limit;
    bool wasBusy = false;
    bool alarmed = false;
    double highest = 0;
};

} // namespace Analysis
