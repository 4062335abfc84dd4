#include "HvUnit.h"

#include "UnitAddresses.h"

HvUnit::HvUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config,
               QObject* parent)
    : EmulatedUnit(name, address, config, parent),
      supply_(config.hvTargetVolts, config.hvRampMs, config.hvPositive)
{
}

bool HvUnit::computedWord(quint32 address, qint64 nowNs, quint16* value)
{
    if (address == UnitAddresses::hvStat) {
        *value = supply_.statusWord(nowNs, faults_.emergency);
        return true;
    }
    if (address == UnitAddresses::hvValue) {
        *value = supply_.voltageWord(nowNs);
        return true;
    }
    return false;
}

void HvUnit::storeWord(quint32 address, quint16 value, qint64 nowNs)
{
    if (address == UnitAddresses::hvStat || address == UnitAddresses::hvValue) return; // read-only
    EmulatedUnit::storeWord(address, value, nowNs);
    if (address == UnitAddresses::hvOnOff) supply_.switchOn(value != 0, nowNs);
}
