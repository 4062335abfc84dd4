#pragma once

#include "monitor/MonitorModel.h"
#include "monitor/RunFacts.h"

#include <QDateTime>
#include <QObject>
#include <QSet>

class MonitorAnalysis;
class MonitorSession;

// Records every run that ends: when a checked transfer holds final spectra (no block busy,
// every block filled) of a run not recorded yet, it asks the node the run's facts and writes
// FOLDER/run-NNNN-YYYYMMDD-HHMMSS/ (N42, one SPE per element, CSV, PNG) and one line of the
// run log FOLDER/runs.csv. A run is known by its measurement number, its run counter and what
// each element counted (RunLog's key), so the run logs on disk tell which runs are recorded,
// also after a restart; a run that ended while the monitor was away is recorded when its final
// spectra are still there.
class RunRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr int maxRunLogs = 100;       // runs.csv, runs-2.csv, ...: one per shape of a run
    static constexpr int maxFolderTries = 100;   // run folders of the same name
    static constexpr qint64 readBytes = 1 << 20; // of a run log: its header, and as much of its end

    explicit RunRecorder(MonitorSession& session, QObject* parent = nullptr);

    void setFolder(const QString& folder) { dir = folder; }
    QString folder() const { return dir; }
    void setRecording(bool on) { recordingOn = on; }
    bool recording() const { return recordingOn; }
    void setComment(const QString& text) { operatorComment = text; }
    // What the window reads off the spectra (ROI reports, calibrations, dead-time peaks) goes
    // into the files too; null: counts and times alone.
    void setAnalysis(const MonitorAnalysis* analysis) { windowAnalysis = analysis; }

Q_SIGNALS:
    void recorded(const QString& runFolder, const QStringList& files);
    void problem(const QString& text);

private:
    void transferTaken(bool checked);
    void factAnswered(const QString& cmd, const QStringList& items);
    void write();
    void giveUp(const QString& why);
    // The runs the run logs hold; false, with `why`, when one cannot be read.
    bool recordedRuns(QSet<QString>* keys, QString* why) const;
    // The run log whose header is `header`, made with it when new; empty, with `why`, when none.
    QString runLogFor(const QByteArray& header, QString* why) const;
    QString runFolder(const SpectrumRun& run, QString* why) const;

    MonitorSession& session;
    QString dir;
    bool recordingOn = false;
    QString operatorComment;
    const MonitorAnalysis* windowAnalysis = nullptr;

    // The run seen running: its counter and its start, the time of a transfer less its real time.
    bool seenRunning = false;
    quint32 seenCounter = 0;
    QDateTime seenStart;

    // The run being recorded, while the node's answers are awaited.
    bool pending = false;
    QString pendingKey;
    QVector<MonitorModel::Element> elements;
    RunFacts facts;
    QDateTime found;
    int answersDue = 0;
    QSet<QString> done; // recorded, or given up, since the start
};
