#pragma once

#include "dsp/VexUnit.h"
#include "hv/HvStat.h"
#include "ui_VexHv.h"

#include <QFrame>
#include <QTimer>

// The high-voltage unit: polled every 200 ms over the register protocol, its status word
// and voltage shown on its own panel and reported by one signal per changed value.
class VexHv : public VexUnit
{
    Q_OBJECT
public:
    VexHv(const QString& name, const QString& ipAddress);

    // Runs watch() every watchInterval from now on.
    void startWatch();
    HvStat::SweepStat sweepStat() const { return sweepStatValue; }
    double voltage() const { return lastVoltage; }
    void updateVoltage();

    QFrame hvFrame;
    Ui_VexHv ui;
    const int watchInterval = 200;
    const double fullScale = 200.0;
    const double voltageStep = 0.02;
    QTimer watchTimer;

Q_SIGNALS:
    void changedInEmergency(bool isInEmergency);
    void changedPolarity(bool isPositive);
    void changedIsOn(bool isOn);
    void changedSweep(HvStat::SweepStat sweepStat);
    void changedVoltage(double vol);

private Q_SLOTS:
    void watch();

public Q_SLOTS:
    void hvOnOff(bool f);
    void hvOn();
    void hvOff();

private:
    void showStatus();

    bool inEmergency = false;
    bool isPositive = false;
    bool isOn = false;
    HvStat::SweepStat sweepStatValue = HvStat::Off;
    double lastVoltage = 0.0;
};
