#pragma once

#include "consumer/SpectrumRun.h"
#include "monitor/MonitorModel.h"

class MonitorAnalysis;

#include <QDateTime>
#include <QStringList>

// What the run recorder knows of a run beyond its final spectra: when it ran, the preset and
// the HV as the node answers them, and the operator's comment. run() is the one place that
// makes the SpectrumRun the files and the run log are written from.
struct RunFacts
{
    // Asked of the node when a run has ended; take() reads their answers.
    static const QStringList questions;

    QDateTime start; // invalid when the run was not seen running
    QDateTime end;
    QString presetType;
    double presetValue = 0;
    QString hvState;
    double hvVoltage = 0;
    bool hvVoltageKnown = false;
    QString comment;

    // An answer to one of the questions; no items when none came.
    void take(const QString& cmd, const QStringList& items);
    // With `analysis`, each ROI carries its report and each element its calibration and the
    // run's highest dead time.
    SpectrumRun run(const QVector<MonitorModel::Element>& elements, const QStringList& vexdaRests,
                    const MonitorAnalysis* analysis = nullptr) const;
};
