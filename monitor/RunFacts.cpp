#include "monitor/RunFacts.h"

#include "consumer/MonitorAnswers.h"
#include "monitor/MonitorAnalysis.h"

namespace {

void addAnalysis(SpectrumElement* e, const MonitorModel::Element& shown, const MonitorAnalysis& analysis,
                 int k)
{
    const std::optional<Analysis::Calibration> cal = analysis.calibration(k);
    if (cal) e->calibration = {cal->offset, cal->gain, cal->quad};
    e->deadTimePeak = analysis.deadTimePeak(k);
    if (e->rois.isEmpty()) return;
    const Analysis::RoiReport report = MonitorAnalysis::report(shown);
    SpectrumRoi& roi = e->rois.last();
    roi.net = report.net;
    roi.netError = report.netError;
    roi.centroid = report.centroid;
    roi.fwhm = report.fwhm;
    if (cal && report.centroid) roi.centroidKev = cal->kev(*report.centroid);
    if (cal && report.centroid && report.fwhm) roi.fwhmKev = cal->widthKev(*report.centroid, *report.fwhm);
}

} // namespace

const QStringList RunFacts::questions{"GetPresetType", "GetPresetValue", "HVStat2", "HVVol"};

void RunFacts::take(const QString& cmd, const QStringList& items)
{
    if (cmd == "GetPresetType") presetType = MonitorAnswers::presetTypeName(items);
    if (cmd == "GetPresetValue" && !MonitorAnswers::leadingNumber(items, &presetValue)) presetValue = 0;
    if (cmd == "HVStat2") hvState = MonitorAnswers::hvStateName(items);
    if (cmd == "HVVol") hvVoltageKnown = MonitorAnswers::leadingNumber(items, &hvVoltage);
}

SpectrumRun RunFacts::run(const QVector<MonitorModel::Element>& elements, const QStringList& vexdaRests,
                          const MonitorAnalysis* analysis) const
{
    QVector<McaTransfer::Block> blocks;
    for (const MonitorModel::Element& e : elements)
        blocks << e.block;
    SpectrumRun run = spectrumRunFromBlocks(blocks, vexdaRests);
    for (int k = 0; k < run.elements.size(); ++k)
        if (elements.at(k).hasRoi)
            run.elements[k].rois << spectrumRoi(run.elements.at(k), elements.at(k).roi.start,
                                                elements.at(k).roi.end);
    if (analysis)
        for (int k = 0; k < run.elements.size(); ++k)
            addAnalysis(&run.elements[k], elements.at(k), *analysis, k);
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
