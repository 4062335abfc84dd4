#include "zephra/CommandTable.h"

#include <QDebug>

bool CommandTable::addCommand(int id, const QString& name, const QString& help)
{
    for (const Command& c : commands) {
        if (c.id == id) {
            qDebug() << "Duplicated id" << id << name << help;
            return false;
        }
        if (c.name == name) {
            qDebug() << "Duplicated msg" << id << name << help;
            return false;
        }
    }
    commands.append(Command{id, name, help});
    return true;
}

int CommandTable::idOf(const QString& name) const
{
    for (const Command& c : commands)
        if (c.name == name) return c.id;
    return CmdUnknown;
}

QString CommandTable::helpOf(const QString& name) const
{
    for (const Command& c : commands)
        if (c.name == name) return c.help;
    return QString();
}

QString CommandTable::commandList() const
{
    QStringList names;
    for (const Command& c : commands)
        if (!c.name.isEmpty() && !c.name.startsWith(QLatin1Char('@')) && !c.name.startsWith(QLatin1Char('_')))
            names << c.name;
    return names.join(QLatin1Char(' '));
}

QString CommandTable::helloText(const QString& myName)
{
    return QString("Hello! I am %1. Nice to meet you!").arg(myName);
}

QString CommandTable::helpText(const QStringList& params) const
{
    if (params.isEmpty()) return "Commands : " + commandList();
    const QString name = params.first();
    if (idOf(name) == CmdUnknown) return QString("Er: Command [%1] not found.").arg(name);
    return ": " + helpOf(name);
}

const QVector<Command>& CommandTable::tavikCommands()
{
    static const QVector<Command> rows = {
        {CmdHello, "Hello", "Answer greeting message"},
        {CmdHelp, "Help", "Show help message"},
        {CmdIsBusy, "IsBusy", "Answer if Tavik is busy"},
        {CmdGetMCALength, "GetMCALength", "Get Length of a MCA(histgram)"},
        {CmdGetPeakingTime, "GetPeakingTime", "Get Peaking time of a ch. GetPeakingtime [ch No]"},
        {CmdRunStart, "RunStart", "Start Measurement with clear Histgram"},
        {CmdResume, "Resume", "Start Measurement without clear Histgram"},
        {CmdRunStop, "RunStop", "Stop Measurement"},
        {CmdClear, "Clear", "Clear Histgram"},
        {CmdStart, "Start", "Start Measurement without clear Histgram"},
        {CmdStop, "Stop", "Stop Measurement"},
        {CmdGetMCAs, "GetMCAs", "Get MCA(histgram)s of all chs via 2nd connection"},
        {CmdSetNormalizeType, "SetNormalizeType", "Set Normalize Type. Real, Live, None, 0, 1, 2"},
        {CmdGetNormalizeType, "GetNormalizeType", "Get Normalize Type. Real, Live, None"},
        {CmdSetPresetType, "SetPresetType",
         "Set Preset Type 0, 1, 2 (None, Real, Live). Live is not avaliable and treat as Real."},
        {CmdGetPresetType, "GetPresetType", "Get Preset Type 0, 1, 2 (None, Real, Live)."},
        {CmdSetPresetValue, "SetPresetValue", "Set Preset Value (sec)"},
        {CmdGetPresetValue, "GetPresetValue", "Get Preset Value (sec)"},
        {CmdSetROI, "SetROI", "Set ROI of a Ch"},
        {CmdSetROIs, "SetROIs", "Set ROIs of all Chs"},
        {CmdGetROI, "GetROI", "Get ROI of a Ch"},
        {CmdGetROIs, "GetROIs", "Get ROIs of all Chs"},
        {CmdGetValue, "GetValue", "Get Value of a Ch in ROI (same as GetValueInROI)"},
        {CmdGetValueInROI, "GetValueInROI", "Get Value of a Ch in ROI (same as GetValue)"},
        {CmdGetValues, "GetValues", "Get Values of all Chs in ROI (same as GetValuesInROI)"},
        {CmdGetValuesInROI, "GetValuesInROI", "Get Values of all Chs in ROI (same as GetValues)"},
        {CmdGetRealTime, "GetRealTime", "Get mean Real Times of all DSPs"},
        {CmdGetLiveTime, "GetLiveTime", "Get mean Live Times of all chs of all DSPs"},
        {CmdGetRealTimes, "GetRealTimes", "Get Real Times of all DSPs"},
        {CmdGetLiveTimes, "GetLiveTimes", "Get Live Times of all chs of all DSPs"},
        {CmdGetDeadTimes, "GetDeadTimes", "Get Dead Times of all chs of all DSPs"},
        {CmdHVStart, "HVStart", "Ask Start HV (HV On)"},
        {CmdHVStop, "HVStop", "Ask Stop HV (HV Off)"},
        {CmdHVStat2, "HVStat2", "Ask status of HV unit"},
        {CmdHVVol, "HVVol", "Ask HV Voltage"},
        {CmdGetThreshold, "GetThreshold", "Get Thresold of a ch  (returns dummy value)"},
        {CmdGetCalibration, "GetCalibration", "Get Calibraiont of a ch  (returns dummy value)"},
        {CmdGetDynamicRange, "GetDynamicRange", "Get DynamicRange of a ch  (returns dummy value)"},
        {CmdGetPreAMPGain, "GetPreAMPGain", "Get PreAMPGain of a ch  (returns dummy value)"},
        {CmdGetDataLinkCh, "GetDataLinkCh", "Get IP and Port of Data Link Ch"},
        {CmdStatus, "Status", "Show status of DSP"},
        {CmdSetConfig, "SetConfig", "Set config of DSP"},
        {CmdGetHistgram, "GetHistgram", "Get Histgram of a Ch"},
        {CmdGetMeasTimeInSec, "GetMeasTimeInSec", "Get Meas Time in sec"},
        {CmdSetMeasTimeInSec, "SetMeasTimeInSec", "Set Meas Time in sec"},
    };
    return rows;
}
