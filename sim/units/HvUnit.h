#pragma once

#include "EmulatedUnit.h"
#include "HvSupply.h"

// The high-voltage unit: a status word and a voltage word worked out by an HvSupply, and
// an on/off register that switches it. Every other register is only stored.
class HvUnit : public EmulatedUnit
{
    Q_OBJECT

public:
    HvUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config,
           QObject* parent = nullptr);

protected:
    bool computedWord(quint32 address, qint64 nowNs, quint16* value) override;
    void storeWord(quint32 address, quint16 value, qint64 nowNs) override;

private:
    HvSupply supply_;
};
