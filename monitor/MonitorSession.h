#pragma once

#include "consumer/McaTransfer.h"
#include "monitor/MonitorModel.h"
#include "monitor/MonitorOptions.h"

#include <QObject>

class AMsg;
class DataLinkClient;
class ServerLink;
class QTimer;

// The monitor without its window. Once logged in it asks the watched node GetDataLinkCh and
// connects to the data link; then, every interval, at a busy event and on refresh(), one
// cycle: GetROIs (which also gives the number of blocks), GetMCAs, the transfer, "Ack".
// A "Ok:" to GetMCAs without a byte on the link means another consumer holds it (the node
// serves one and keeps the next in its listen queue): the link is given up and tried again
// later. Every loss is retried on its own, waiting longer each time.
class MonitorSession : public QObject
{
    Q_OBJECT
public:
    enum NodeState { NodeUnknown, NodeAnswering, NodeAbsent, NodeSilent };
    static constexpr int transferWaitMs = 5000;
    static constexpr int takenRetryMs = 10000;
    static constexpr int firstRetryMs = 1000;
    static constexpr int lastRetryMs = 10000;

    explicit MonitorSession(const MonitorOptions& options, QObject* parent = nullptr);

    void start();
    void refresh();
    void runStart();
    void runStop();
    void clear();
    // A question to the node whose answer goes to factAnswered only (not to the status bar);
    // false when it could not be sent.
    bool askFact(const QString& cmd);

    const MonitorModel& model() const { return data; }
    const MonitorOptions& options() const { return opts; }
    const ServerLink& server() const { return *serverLink; }
    const DataLinkClient& dataLink() const { return *link; }
    NodeState nodeState() const { return nodeNow; }
    bool linkTaken() const { return taken; }

Q_SIGNALS:
    void statusChanged();
    void modelChanged();
    void problem(const QString& text);
    void commandAnswered(const QString& cmd, const QString& text);
    void log(const QString& text);
    // A transfer was read and shown; checked when every block passed the check.
    void transferTaken(bool checked);
    // The answer to askFact; no items when the node is absent or did not answer in time.
    void factAnswered(const QString& cmd, const QStringList& items);

private:
    enum Phase { Idle, AskingRois, AskingMcas, WaitingTransfer };

    void serverChanged(int state, const QString& why);
    void answered(const AMsg& msg);
    void cycleAnswered(const QString& cmd, const QStringList& items);
    void askTimedOut(const QString& cmd);
    void linkChanged(int state, const QString& why);
    void transferRead(const QVector<McaTransfer::Block>& blocks, const QStringList& faults);
    void transferWaitOver();
    void askDataLinkCh();
    void retryLink();
    void scheduleLinkRetry(int ms);
    void ask(const QString& cmd, const QString& params = QString());
    void endCycle();
    void setNode(NodeState state);
    bool factDone(const QString& cmd, const QStringList& items);

    MonitorOptions opts;
    MonitorModel data;
    ServerLink* serverLink;
    DataLinkClient* link;
    QTimer* cycle;
    QTimer* linkRetry;
    QTimer* transferWait;
    Phase phase = Idle;
    NodeState nodeNow = NodeUnknown;
    bool taken = false;
    bool droppingTaken = false;
    bool refreshAgain = false;
    qint64 bytesAtAsk = 0;
    int transfersAtAsk = 0;
    quint32 startingNumber = 0;
    QStringList lastFaults;
    QStringList factsAsked; // in the order sent, a command word once per question
    int linkRetryDelay = firstRetryMs;
};
