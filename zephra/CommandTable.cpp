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
        if (c.name == name)
            return c.id;
    return unknownId;
}

QString CommandTable::helpOf(const QString& name) const
{
    for (const Command& c : commands)
        if (c.name == name)
            return c.help;
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
    if (params.isEmpty())
        return "Commands : " + commandList();
    const QString name = params.first();
    if (idOf(name) == unknownId)
        return QString("Er: Command [%1] not found.").arg(name);
    return ": " + helpOf(name);
}

const QVector<Command>& CommandTable::tavikCommands()
{
    static const QVector<Command> rows = {
        {0, "Hello", "Answer greeting message"},
        {1, "Help", "Show help message"},
        {2, "IsBusy", "Answer if Tavik is busy"},
        {4, "GetMCALength", "Get Length of a MCA(histgram)"},
        {5, "GetPeakingTime", "Get Peaking time of a ch. GetPeakingtime [ch No]"},
        {6, "RunStart", "Start Measurement with clear Histgram"},
        {7, "Resume", "Start Measurement without clear Histgram"},
        {8, "RunStop", "Stop Measurement"},
        {9, "Clear", "Clear Histgram"},
        {10, "Start", "Start Measurement without clear Histgram"},
        {11, "Stop", "Stop Measurement"},
        {12, "GetMCAs", "Get MCA(histgram)s of all chs via 2nd connection"},
        {13, "SetNormalizeType", "Set Normalize Type. Real, Live, None, 0, 1, 2"},
        {14, "GetNormalizeType", "Get Normalize Type. Real, Live, None"},
        {15, "SetPresetType",
         "Set Preset Type 0, 1, 2 (None, Real, Live). Live is not avaliable and treat as Real."},
        {16, "GetPresetType", "Get Preset Type 0, 1, 2 (None, Real, Live)."},
        {17, "SetPresetValue", "Set Preset Value (sec)"},
        {18, "GetPresetValue", "Get Preset Value (sec)"},
        {21, "SetROI", "Set ROI of a Ch"},
        {22, "SetROIs", "Set ROIs of all Chs"},
        {23, "GetROI", "Get ROI of a Ch"},
        {24, "GetROIs", "Get ROIs of all Chs"},
        {25, "GetValue", "Get Value of a Ch in ROI (same as GetValueInROI)"},
        {26, "GetValueInROI", "Get Value of a Ch in ROI (same as GetValue)"},
        {27, "GetValues", "Get Values of all Chs in ROI (same as GetValuesInROI)"},
        {28, "GetValuesInROI", "Get Values of all Chs in ROI (same as GetValues)"},
        {19, "GetRealTime", "Get mean Real Times of all DSPs"},
        {20, "GetLiveTime", "Get mean Live Times of all chs of all DSPs"},
        {33, "GetRealTimes", "Get Real Times of all DSPs"},
        {34, "GetLiveTimes", "Get Live Times of all chs of all DSPs"},
        {35, "GetDeadTimes", "Get Dead Times of all chs of all DSPs"},
        {29, "HVStart", "Ask Start HV (HV On)"},
        {30, "HVStop", "Ask Stop HV (HV Off)"},
        {31, "HVStat2", "Ask status of HV unit"},
        {32, "HVVol", "Ask HV Voltage"},
        {36, "GetThreshold", "Get Thresold of a ch  (returns dummy value)"},
        {37, "GetCalibration", "Get Calibraiont of a ch  (returns dummy value)"},
        {38, "GetDynamicRange", "Get DynamicRange of a ch  (returns dummy value)"},
        {39, "GetPreAMPGain", "Get PreAMPGain of a ch  (returns dummy value)"},
        {3, "GetDataLinkCh", "Get IP and Port of Data Link Ch"},
        {40, "Status", "Show status of DSP"},
        {41, "SetConfig", "Set config of DSP"},
        {42, "GetHistgram", "Get Histgram of a Ch"},
        {44, "GetMeasTimeInSec", "Get Meas Time in sec"},
        {43, "SetMeasTimeInSec", "Set Meas Time in sec"},
    };
    return rows;
}
