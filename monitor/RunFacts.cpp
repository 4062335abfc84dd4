#include "monitor/RunFacts.h"

#include "consumer/MonitorAnswers.h"

const QStringList RunFacts::questions{"GetPresetType", "GetPresetValue", "HVStat2", "HVVol"};

void RunFacts::take(const QString& cmd, const QStringList& items)
{
    if (cmd == "GetPresetType") presetType = MonitorAnswers::presetTypeName(items);
    if (cmd == "GetPresetValue" && !MonitorAnswers::leadingNumber(items, &presetValue)) presetValue = 0;
    if (cmd == "HVStat2") hvState = MonitorAnswers::hvStateName(items);
    if (cmd == "HVVol") hvVoltageKnown = MonitorAnswers::leadingNumber(items, &hvVoltage);
}

SpectrumRun RunFacts::run(const QVector<MonitorModel::Element>& elements, const QStringList& vexdaRests) const
{
    QVector<McaTransfer::Block> blocks;
    for (const MonitorModel::Element& e : elements)
        blocks << e.block;
    SpectrumRun run = spectrumRunFromBlocks(blocks, vexdaRests);
    for (int k = 0; k < run.elements.size(); ++k)
        if (elements.at(k).hasRoi)
            run.elements[k].rois << spectrumRoi(run.elements.at(k), elements.at(k).roi.start,
                                                elements.at(k).roi.end);
    run.start = start;
    run.end = end;
    run.presetType = presetType;
    run.presetValue = presetValue;
    run.hvState = hvState;
    run.hvVoltage = hvVoltage;
    run.hvVoltageKnown = hvVoltageKnown;
    run.comment = comment;
    return run;
}
