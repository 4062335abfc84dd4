#pragma once

#include "consumer/McaTransfer.h"
#include "consumer/MonitorAnswers.h"

#include <QVector>

// What the monitor shows, without a widget: the last transfer's elements with their times,
// rates, ROIs and ROI sums, whether a measurement runs, and the measurement number.
class MonitorModel
{
public:
    struct Element
    {
        QString unit; // empty when the configuration does not name it
        quint32 channel = 0;
        McaTransfer::Block block;
        bool hasRoi = false;
        MonitorAnswers::Roi roi;
        quint64 roiSum = 0; // bins start..end, both counted, as GetValues sums them

        double deadTime() const { return block.realTime - block.liveTime; }
        bool busy() const { return block.busy != 0; }
        // A unit that never ended a measurement sends a block of zeros.
        bool filled() const { return block.binCount != 0; }
    };

    void setElementNames(const QVector<MonitorAnswers::ElementName>& names);
    // False, and nothing recomputed, when the ROIs are the ones held already.
    bool setRois(const QVector<MonitorAnswers::Roi>& rois);
    void takeTransfer(const QVector<McaTransfer::Block>& blocks);
    // RunStart with this number was accepted.
    void noteStarted(quint32 number);

    const QVector<Element>& elements() const { return shown; }
    QVector<McaTransfer::Block> blocks() const;
    bool running() const;
    // Block 1's measurement number when it carries one, else the last one started; 0 if none.
    quint32 measurementNumber() const { return measurement; }
    quint32 runCounter() const { return runs; }
    quint32 nextMeasurementNumber() const { return measurement + 1; }
    int transfers() const { return taken; }

private:
    void sumRois();

    QVector<MonitorAnswers::ElementName> names;
    QVector<MonitorAnswers::Roi> rois;
    QVector<Element> shown;
    quint32 measurement = 0;
    quint32 runs = 0;
    int taken = 0;
};
