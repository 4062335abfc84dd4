#include "app/Body.h"

#include "hv/HvWord.h"
#include "hv/VexHv.h"
#include "requests/RequestText.h"
#include "zephra/Zephra.h"

bool Body::hvUnitAvailable(const AMsg& msg)
{
    if (vexHv) return true;
    zephra->sendAnswer(msg, "Er: HV unit is not avaliable.");
    return false;
}

// The switch requests do not wait for the sweep: its changes reach clients as events.
void Body::askHvStart(AMsg msg)
{
    if (!hvUnitAvailable(msg)) return;
    vexHv->hvOn();
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askHvStop(AMsg msg)
{
    if (!hvUnitAvailable(msg)) return;
    vexHv->hvOff();
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askHvStat(AMsg msg)
{
    if (!hvUnitAvailable(msg)) return;
    zephra->sendAnswer(msg, QString::number(sweepNumber(vexHv->sweepStat())));
}

void Body::askHvVol(AMsg msg)
{
    if (!hvUnitAvailable(msg)) return;
    vexHv->updateVoltage();
    zephra->sendAnswer(msg, numberText(vexHv->voltage()));
}

void Body::newHvStat(HvStat::SweepStat stat)
{
    zephra->sendEvent(QString(), QString("ChangedHVStat %1").arg(sweepNumber(stat)));
}
