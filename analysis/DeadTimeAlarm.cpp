#include "analysis/DeadTimeAlarm.h"

#include <QtMath>

namespace Analysis {

double DeadTimeAlarm::deadFraction(double realTime, double liveTime)
{
    if (realTime == 0 || !qIsFinite(realTime) || !qIsFinite(liveTime)) return 0;
    return (realTime - liveTime) / realTime;
}

bool DeadTimeAlarm::feed(bool busy, double realTime, double liveTime)
{
    if (busy && !wasBusy) {
        alarmed = false;
        highest = 0;
    }
    wasBusy = busy;
    const double fraction = deadFraction(realTime, liveTime);
    highest = qMax(highest, fraction);
    if (alarmed || !(fraction > limit)) return false;
    alarmed = true;
    return true;
}

} // namespace Analysis
