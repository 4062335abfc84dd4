#include "monitor/MonitorModel.h"

#include "requests/RequestText.h"

void MonitorModel::setElementNames(const QVector<MonitorAnswers::ElementName>& elementNames)
{
    names = elementNames;
}

bool MonitorModel::setRois(const QVector<MonitorAnswers::Roi>& elementRois)
{
    if (rois == elementRois) return false;
    rois = elementRois;
    sumRois();
    return true;
}

void MonitorModel::takeTransfer(const QVector<McaTransfer::Block>& blocks)
{
    ++taken;
    shown.resize(blocks.size());
    // Names are trusted only while every filled block's channel agrees with the configuration.
    bool named = names.size() == blocks.size();
    for (int k = 0; named && k < blocks.size(); ++k)
        named = blocks.at(k).binCount == 0 || quint32(names.at(k).channel) == blocks.at(k).channel;
    for (int k = 0; k < blocks.size(); ++k) {
        Element& e = shown[k];
        e.block = blocks.at(k);
        e.unit = named ? names.at(k).unit : QString();
        e.channel = named && !e.filled() ? quint32(names.at(k).channel) : e.block.channel;
    }
    if (!blocks.isEmpty()) runs = blocks.at(0).tag;
    if (blocks.size() > 1 && blocks.at(1).tag != 0) measurement = blocks.at(1).tag;
    sumRois();
}

void MonitorModel::noteStarted(quint32 number)
{
    measurement = number;
}

QVector<McaTransfer::Block> MonitorModel::blocks() const
{
    QVector<McaTransfer::Block> all;
    for (const Element& e : shown)
        all << e.block;
    return all;
}

bool MonitorModel::running() const
{
    for (const Element& e : shown)
        if (e.busy()) return true;
    return false;
}

void MonitorModel::sumRois()
{
    for (int k = 0; k < shown.size(); ++k) {
        Element& e = shown[k];
        e.hasRoi = k < rois.size();
        e.roi = e.hasRoi ? rois.at(k) : MonitorAnswers::Roi();
        e.roiSum = e.hasRoi
                       ? sumThroughEnd(e.block.bins.constData(), e.block.bins.size(), e.roi.start, e.roi.end)
                       : 0;
    }
}
