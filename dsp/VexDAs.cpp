#include "dsp/VexDAs.h"

#include "dsp/VexDA.h"

VexDAs::VexDAs(QObject* parent) : QObject(parent) {}

VexDAs::~VexDAs()
{
    if (ownsUnits) releaseUnits();
}

void VexDAs::append(VexDA* unit)
{
    connect(unit, &VexDA::changedIsBusy, this, &VexDAs::changedOneBusy);
    unitList.append(unit);
}

VexDA* VexDAs::unitNamed(const QString& name) const
{
    for (VexDA* unit : unitList)
        if (unit->unitName == name) return unit;
    return nullptr;
}

void VexDAs::releaseUnits()
{
    for (VexDA* unit : unitList)
        unit->deleteLater();
    unitList.clear();
}

void VexDAs::changedOneBusy()
{
    bool any = false;
    for (const VexDA* unit : unitList)
        any = any || unit->reportedBusy;
    if (any == busy) return;
    busy = any;
    Q_EMIT changedIsBusy();
}
