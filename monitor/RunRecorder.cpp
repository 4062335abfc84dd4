#include "monitor/RunRecorder.h"

#include "consumer/RunLog.h"
#include "consumer/SpectrumBytes.h"
#include "consumer/SpectrumFiles.h"
#include "monitor/MonitorSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

double longestRealTime(const QVector<MonitorModel::Element>& elements)
{
    double longest = 0;
    for (const MonitorModel::Element& e : elements)
        longest = std::max(longest, e.block.realTime);
    return longest;
}

QString runLogName(int i)
{
    return i == 1 ? QString("runs.csv") : QString("runs-%1.csv").arg(i);
}

} // namespace

RunRecorder::RunRecorder(MonitorSession& session, QObject* parent) : QObject(parent), session(session)
{
    connect(&session, &MonitorSession::transferTaken, this, &RunRecorder::transferTaken);
    connect(&session, &MonitorSession::factAnswered, this, &RunRecorder::factAnswered);
}

void RunRecorder::transferTaken(bool checked)
{
    const QVector<MonitorModel::Element>& shown = session.model().elements();
    if (!checked || shown.isEmpty()) return;
    const quint32 counter = shown.first().block.tag;
    if (std::any_of(shown.begin(), shown.end(), [](const MonitorModel::Element& e) { return e.busy(); })) {
        // A snapshot taken now: its real time is how long the run has been counting.
        if (!seenRunning || counter != seenCounter)
            seenStart = QDateTime::currentDateTime().addMSecs(-qint64(longestRealTime(shown) * 1000));
        seenRunning = true;
        seenCounter = counter;
        return;
    }
    // Units that never ended a run send zeros: nothing to record.
    if (!recordingOn || pending ||
        !std::all_of(shown.begin(), shown.end(), [](const MonitorModel::Element& e) { return e.filled(); }))
        return;
    RunFacts none;
    const QString key = runLogKey(none.run(shown, {}));
    if (done.contains(key)) return;
    QSet<QString> known;
    QString why;
    if (!recordedRuns(&known, &why)) {
        done.insert(key);
        Q_EMIT problem("run not recorded: " + why);
        return;
    }
    if (known.contains(key)) {
        done.insert(key);
        return;
    }
    pending = true;
    pendingKey = key;
    elements = shown;
    facts = RunFacts();
    facts.comment = operatorComment;
    if (seenRunning && counter == seenCounter) {
        facts.start = seenStart;
        facts.end = seenStart.addMSecs(qint64(longestRealTime(shown) * 1000));
    }
    found = QDateTime::currentDateTime();
    answersDue = 0;
    for (const QString& cmd : RunFacts::questions)
        if (session.askFact(cmd)) ++answersDue;
    if (answersDue == 0) write();
}

void RunRecorder::factAnswered(const QString& cmd, const QStringList& items)
{
    if (!pending || answersDue == 0) return;
    facts.take(cmd, items);
    if (--answersDue == 0) write();
}

void RunRecorder::write()
{
    const SpectrumRun run = facts.run(elements, session.options().vexda, windowAnalysis);
    QString why;
    const QString folder = runFolder(run, &why);
    if (folder.isEmpty()) return giveUp(why);
    const QString base = QDir(folder).filePath(QDir(folder).dirName());
    const QString title = QString("Measurement %1, %2")
                              .arg(run.measurement)
                              .arg(QLocale::c().toString(run.start.isValid() ? run.start : found,
                                                         QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    QVector<McaTransfer::Block> blocks;
    for (const MonitorModel::Element& e : elements)
        blocks << e.block;
    SpectrumFiles files = writeSpectrumFiles(base, title, blocks, run, SpectrumFormats());
    if (!files.problems.isEmpty()) return giveUp(files.problems.join("; "));
    // The run log's line last: a run there has all its files.
    const QByteArray header = runLogHeader(run);
    const QString log = runLogFor(header, &why);
    if (log.isEmpty()) return giveUp(why);
    QFile file(log);
    QByteArray line = runLogLine(run);
    if (file.open(QIODevice::ReadWrite | QIODevice::Append) && file.size() > 0 &&
        file.seek(file.size() - 1) && file.read(1) != "\n")
        line.prepend('\n'); // a line cut short before stays a line of its own
    if (!file.isOpen() || file.write(line) != line.size() || !file.flush())
        return giveUp(QString("cannot append to %1: %2").arg(log, file.errorString()));
    done.insert(pendingKey);
    pending = false;
    Q_EMIT recorded(folder, files.written << log);
}

void RunRecorder::giveUp(const QString& why)
{
    // Not tried again: a folder that cannot be written would be tried at every transfer.
    done.insert(pendingKey);
    pending = false;
    Q_EMIT problem("run not recorded: " + why);
}

bool RunRecorder::recordedRuns(QSet<QString>* keys, QString* why) const
{
    for (int i = 1; i <= maxRunLogs; ++i) {
        const QString path = QDir(dir).filePath(runLogName(i));
        if (!QFileInfo::exists(path)) return true;
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            *why = QString("cannot read %1").arg(path);
            return false;
        }
        // Only the latest runs can be at the node again: the header and the log's end will do,
        // however long the log has grown.
        const QByteArray header = file.readLine(readBytes);
        if (file.size() - readBytes > file.pos()) {
            file.seek(file.size() - readBytes);
            file.readLine(readBytes); // the rest of a line cut by the seek
        }
        keys->unite(runLogKeys(header + file.read(readBytes)));
    }
    return true;
}

QString RunRecorder::runLogFor(const QByteArray& header, QString* why) const
{
    for (int i = 1; i <= maxRunLogs; ++i) {
        const QString path = QDir(dir).filePath(runLogName(i));
        QFile file(path);
        if (!file.exists()) {
            *why = saveBytes(path, header);
            return why->isEmpty() ? path : QString();
        }
        if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) && file.read(header.size()) == header)
            return path;
    }
    *why = QString("%1 run logs of other shapes in %2").arg(maxRunLogs).arg(dir);
    return QString();
}

QString RunRecorder::runFolder(const SpectrumRun& run, QString* why) const
{
    const QString name = QString("run-%1-%2")
                             .arg(run.measurement, 4, 10, QChar('0'))
                             .arg(QLocale::c().toString(run.start.isValid() ? run.start : found,
                                                        QStringLiteral("yyyyMMdd-HHmmss")));
    QDir top(dir);
    for (int i = 1; i <= maxFolderTries; ++i) {
        const QString candidate = i == 1 ? name : QString("%1-%2").arg(name).arg(i);
        if (top.exists(candidate)) continue;
        if (top.mkpath(candidate)) return top.filePath(candidate);
        *why = QString("cannot make %1").arg(top.filePath(candidate));
        return QString();
    }
    *why = QString("%1 folders named %2 in %3").arg(maxFolderTries).arg(name, dir);
    return QString();
}
