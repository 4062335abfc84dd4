#pragma once

#include "EmulatorConfig.h"

#include <QHostAddress>
#include <QObject>
#include <QVector>

class DspUnit;
class EmulatedUnit;

// All emulated units of one run: DSP units 0..N-1, then the HV unit (if any) as unit N.
// Lives in one thread and is used from it only; UnitEmulatorThread wraps it for others.
class UnitEmulator : public QObject
{
    Q_OBJECT

public:
    explicit UnitEmulator(const EmulatorConfig& config, QObject* parent = nullptr);

    // Binds every unit: the first free ports when the configured ones are 0.
    bool start(QString* error = nullptr);

    quint16 udpPort() const { return udpPort_; }
    quint16 tcpPort() const { return tcpPort_; }
    int unitCount() const { return units_.size(); }
    int dspUnitCount() const { return config_.dspUnits; }
    bool hasHvUnit() const { return config_.hvUnit; }

    // nullptr for an index out of range (or not a DSP unit).
    EmulatedUnit* unit(int index) const;
    DspUnit* dspUnit(int index) const;

    // Address of unit `index`; works before start() too.
    static QHostAddress unitAddress(const EmulatorConfig& config, int index);

private:
    EmulatorConfig config_;
    QVector<EmulatedUnit*> units_;
    quint16 udpPort_ = 0;
    quint16 tcpPort_ = 0;
};
