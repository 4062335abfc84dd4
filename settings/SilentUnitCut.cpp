#include "settings/SilentUnitCut.h"

SilentUnitCut::SilentUnitCut(int units) : unanswered(units, 0), left(units, 0) {}

bool SilentUnitCut::mayAsk(int unit)
{
    if (unanswered.value(unit) < limit) return true;
    ++left[unit];
    return false;
}

void SilentUnitCut::noteAnswer(int unit, bool answered)
{
    unanswered[unit] = answered ? 0 : unanswered[unit] + 1;
}
