#include "hv/VexHv.h"

#include "dsp/DspReg.h"
#include "hv/HvWord.h"

namespace {
constexpr int wordLength = 2;
} // namespace

VexHv::VexHv(const QString& name, const QString& ipAddress) : VexUnit(name, ipAddress)
{
    qRegisterMetaType<HvStat::SweepStat>("HvStat::SweepStat");
    ui.setupUi(&hvFrame);
}

void VexHv::startWatch()
{
    watchTimer.setInterval(watchInterval);
    connect(&watchTimer, &QTimer::timeout, this, &VexHv::watch, Qt::UniqueConnection);
    watchTimer.start();
}

// A read that timed out leaves nothing to decode: its cleared answer would read as "all
// off" and -200 V, which nobody could tell from a real reading. The last good values stay
// and the status panel's UDP indicator shows the silence.
void VexHv::watch()
{
    bool answered = false;
    const quint16 s = quint16(readValue(fixedRegs.hvStat, wordLength, &answered));
    if (answered) {
        const HvStatus now = decodeHvStatus(s);
        if (now.inEmergency != inEmergency) Q_EMIT changedInEmergency(now.inEmergency);
        if (now.isPositive != isPositive) Q_EMIT changedPolarity(now.isPositive);
        if (now.isOn != isOn) Q_EMIT changedIsOn(now.isOn);
        if (now.sweepStat != sweepStatValue) Q_EMIT changedSweep(now.sweepStat);
        inEmergency = now.inEmergency;
        isPositive = now.isPositive;
        isOn = now.isOn;
        sweepStatValue = now.sweepStat;
        showStatus();
        // A silent unit is not waited for twice per tick.
        updateVoltage();
    }
}

void VexHv::showStatus()
{
    ui.Emergency->setOkNG(inEmergency);
    ui.Polarity->setOkNG(isPositive, tr("Pos"), tr("Neg"));
    ui.HvOn->setOkNG(isOn);
    static const QStringList sweepNames{"On", "Off", "Trans"};
    RunStat shown = RunStat::Stay;
    if (sweepStatValue == HvStat::Trans) shown = RunStat::InTransition;
    if (sweepStatValue == HvStat::On) shown = RunStat::Running;
    ui.SweepStat->setRunStat(shown, sweepNames);
}

void VexHv::updateVoltage()
{
    bool answered = false;
    const quint16 w = quint16(readValue(fixedRegs.hvValue, wordLength, &answered));
    if (!answered) return;
    const double v = hvVolts(w, fullScale);
    if (isVoltageStep(v, lastVoltage, voltageStep)) {
        lastVoltage = v;
        Q_EMIT changedVoltage(v);
    }
    ui.Voltage->setText(QString::number(lastVoltage, 'g', 6));
}

void VexHv::hvOnOff(bool f)
{
    writeRegister(fixedRegs.hvOnOff, f ? 1 : 0, true, wordLength);
}

void VexHv::hvOn()
{
    hvOnOff(true);
}

void VexHv::hvOff()
{
    hvOnOff(false);
}
