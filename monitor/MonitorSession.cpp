#include "monitor/MonitorSession.h"

#include "consumer/MonitorAnswers.h"
#include "monitor/DataLinkClient.h"
#include "monitor/ServerLink.h"
#include "zephra/AMsg.h"
#include "zephra/ZephraWire.h"

#include <QTimer>

#include <algorithm>

MonitorSession::MonitorSession(const MonitorOptions& options, QObject* parent)
    : QObject(parent), opts(options), serverLink(new ServerLink(this)), link(new DataLinkClient(this)),
      cycle(new QTimer(this)), linkRetry(new QTimer(this)), transferWait(new QTimer(this))
{
    data.setElementNames(MonitorAnswers::elementNames(opts.vexda));
    serverLink->setPeer(opts.host, opts.port, opts.name, opts.keyFile);
    cycle->setInterval(opts.intervalMs);
    linkRetry->setSingleShot(true);
    transferWait->setSingleShot(true);
    transferWait->setInterval(transferWaitMs);
    connect(cycle, &QTimer::timeout, this, &MonitorSession::refresh);
    connect(linkRetry, &QTimer::timeout, this, &MonitorSession::retryLink);
    connect(transferWait, &QTimer::timeout, this, &MonitorSession::transferWaitOver);
    connect(serverLink, &ServerLink::stateChanged, this, &MonitorSession::serverChanged);
    connect(serverLink, &ServerLink::answered, this, &MonitorSession::answered);
    connect(serverLink, &ServerLink::askTimedOut, this, &MonitorSession::askTimedOut);
    connect(serverLink, &ServerLink::eventReceived, this, [this](const AMsg& msg) {
        if (msg.fromNode == opts.node && msg.cmd == "ChangedIsBusy") refresh();
    });
    if (opts.log)
        connect(serverLink, &ServerLink::traffic, this,
                [this](const QString& line, bool sent) { Q_EMIT log((sent ? "> " : "< ") + line); });
    connect(link, &DataLinkClient::stateChanged, this, &MonitorSession::linkChanged);
    connect(link, &DataLinkClient::transferRead, this, &MonitorSession::transferRead);
}

void MonitorSession::start()
{
    cycle->start();
    serverLink->start();
}

void MonitorSession::refresh()
{
    if (phase != Idle) {
        refreshAgain = true;
        return;
    }
    if (serverLink->state() != ServerLink::Ready || link->state() != DataLinkClient::Linked) return;
    phase = AskingRois;
    ask("GetROIs");
}

void MonitorSession::runStart()
{
    startingNumber = data.nextMeasurementNumber();
    ask("RunStart", QString::number(startingNumber));
}

void MonitorSession::runStop()
{
    ask("RunStop");
}

void MonitorSession::clear()
{
    ask("Clear");
}

bool MonitorSession::askFact(const QString& cmd)
{
    if (!serverLink->ask(opts.node, cmd)) return false;
    factsAsked << cmd;
    return true;
}

bool MonitorSession::factDone(const QString& cmd, const QStringList& items)
{
    if (!factsAsked.removeOne(cmd)) return false;
    Q_EMIT factAnswered(cmd, items);
    return true;
}

void MonitorSession::ask(const QString& cmd, const QString& params)
{
    if (serverLink->ask(opts.node, cmd, params)) return;
    Q_EMIT problem(QString("%1 not sent: %2")
                       .arg(cmd, serverLink->state() == ServerLink::Ready ? "too many requests waiting"
                                                                          : "not logged in to the server"));
    if (cmd == "GetROIs" || cmd == "GetMCAs") endCycle();
}

void MonitorSession::serverChanged(int state, const QString& why)
{
    if (state == ServerLink::Down) {
        endCycle();
        // The questions sent are lost with the connection: no answer will come.
        while (!factsAsked.isEmpty())
            factDone(factsAsked.first(), {});
        setNode(NodeUnknown);
        Q_EMIT log(QString("server %1:%2 down (%3), again in %4 s")
                       .arg(serverLink->host())
                       .arg(serverLink->port())
                       .arg(why)
                       .arg(serverLink->retryMs() / 1000.0));
    } else if (state == ServerLink::Ready) {
        Q_EMIT log(QString("logged in to %1:%2 as %3")
                       .arg(serverLink->host())
                       .arg(serverLink->port())
                       .arg(opts.name));
        if (link->state() == DataLinkClient::Down) askDataLinkCh();
        refresh();
    }
    Q_EMIT statusChanged();
}

void MonitorSession::answered(const AMsg& msg)
{
    const QString text = msg.params.join(' ');
    if (msg.fromNode == ZephraWire::systemNode) {
        // The server answers for a node that is not logged in.
        setNode(NodeAbsent);
        if (factDone(msg.cmd, {})) return;
        if (msg.cmd == "GetDataLinkCh")
            scheduleLinkRetry(linkRetryDelay);
        else if (msg.cmd == "GetROIs" || msg.cmd == "GetMCAs")
            endCycle();
        else
            Q_EMIT commandAnswered(msg.cmd, text);
        return;
    }
    if (msg.fromNode != opts.node) return;
    setNode(NodeAnswering);
    if (factDone(msg.cmd, msg.params)) return;
    if (msg.cmd == "GetDataLinkCh") {
        QString host;
        quint16 port = 0;
        if (MonitorAnswers::parseDataLinkCh(msg.params, serverLink->host(), &host, &port)) {
            link->connectTo(host, port);
        } else {
            Q_EMIT problem("GetDataLinkCh answer not understood: " + text);
            scheduleLinkRetry(lastRetryMs);
        }
    } else if (msg.cmd == "GetROIs" || msg.cmd == "GetMCAs") {
        cycleAnswered(msg.cmd, msg.params);
    } else {
        if (msg.cmd == "RunStart" && text.startsWith("Ok:")) {
            data.noteStarted(startingNumber);
            Q_EMIT modelChanged();
        }
        Q_EMIT commandAnswered(msg.cmd, text);
        refresh();
    }
}

void MonitorSession::cycleAnswered(const QString& cmd, const QStringList& items)
{
    if (cmd == "GetROIs" && phase == AskingRois) {
        QVector<MonitorAnswers::Roi> rois;
        if (!MonitorAnswers::parseRois(items, &rois)) {
            Q_EMIT problem("GetROIs answer not understood: " + items.join(' ').left(200));
            endCycle();
            return;
        }
        // The plots are redrawn when the transfer comes; now only if the ROIs moved.
        if (data.setRois(rois)) Q_EMIT modelChanged();
        link->setBlocks(rois.size());
        if (rois.isEmpty() || link->state() != DataLinkClient::Linked) {
            endCycle();
            return;
        }
        phase = AskingMcas;
        bytesAtAsk = link->bytesReceived();
        transfersAtAsk = data.transfers();
        ask("GetMCAs");
    } else if (cmd == "GetMCAs" && phase == AskingMcas) {
        if (items.value(0) != "Ok:") {
            Q_EMIT problem("GetMCAs refused: " + items.join(' ').left(200));
            endCycle();
        } else if (data.transfers() > transfersAtAsk) {
            endCycle(); // the bytes were quicker than the answer
        } else {
            phase = WaitingTransfer;
            transferWait->start();
        }
    }
}

void MonitorSession::askTimedOut(const QString& cmd)
{
    setNode(NodeSilent);
    if (factDone(cmd, {})) return;
    if (cmd == "GetDataLinkCh") scheduleLinkRetry(linkRetryDelay);
    if (cmd == "GetROIs" || cmd == "GetMCAs") endCycle();
}

void MonitorSession::linkChanged(int state, const QString& why)
{
    if (state == DataLinkClient::Linked) {
        linkRetryDelay = firstRetryMs;
        Q_EMIT log(QString("data link %1:%2 connected").arg(link->host()).arg(link->port()));
        refresh();
    } else if (state == DataLinkClient::Down) {
        endCycle();
        // Only the drop for a taken link keeps that diagnosis; any other loss has its own cause.
        taken = droppingTaken;
        droppingTaken = false;
        const int delay = taken ? takenRetryMs : linkRetryDelay;
        Q_EMIT log(QString("data link %1:%2 down (%3), again in %4 s")
                       .arg(link->host())
                       .arg(link->port())
                       .arg(why)
                       .arg(delay / 1000.0));
        scheduleLinkRetry(delay);
    }
    Q_EMIT statusChanged();
}

void MonitorSession::transferRead(const QVector<McaTransfer::Block>& blocks, const QStringList& faults)
{
    if (taken) {
        taken = false;
        Q_EMIT statusChanged();
    }
    // Units that never ended a measurement send zeros, which fail the check: no news.
    const bool unfilled = std::all_of(blocks.begin(), blocks.end(), [](const McaTransfer::Block& b) {
        return b.binCount == 0 && b.realTime == 0 && b.liveTime == 0;
    });
    // Faults are said when they change, not at every transfer.
    if (faults != lastFaults && !faults.isEmpty() && !(unfilled && faults.size() == blocks.size()))
        Q_EMIT problem(
            QString("transfer check failed: %1%2")
                .arg(faults.first())
                .arg(faults.size() > 1 ? QString(" (and %1 more)").arg(faults.size() - 1) : QString()));
    lastFaults = faults;
    data.takeTransfer(blocks);
    Q_EMIT modelChanged();
    Q_EMIT transferTaken(faults.isEmpty());
    if (phase == AskingMcas || phase == WaitingTransfer) endCycle();
}

void MonitorSession::transferWaitOver()
{
    // Bytes under way: the transfer ends on its own (or by the link's stall timer).
    if (link->bytesReceived() == bytesAtAsk && link->state() == DataLinkClient::Linked) {
        taken = true;
        Q_EMIT problem(QString("data link %1:%2 taken by another consumer: GetMCAs answered, no data; "
                               "trying again in %3 s")
                           .arg(link->host())
                           .arg(link->port())
                           .arg(takenRetryMs / 1000));
        droppingTaken = true;
        link->drop("taken by another consumer");
    }
    endCycle();
}

void MonitorSession::askDataLinkCh()
{
    ask("GetDataLinkCh");
}

void MonitorSession::retryLink()
{
    if (link->state() != DataLinkClient::Down) return;
    linkRetryDelay = qMin(linkRetryDelay * 2, lastRetryMs);
    if (serverLink->state() == ServerLink::Ready)
        askDataLinkCh(); // the node may have come back elsewhere
    else if (link->port() != 0)
        link->connectTo(link->host(), link->port());
}

void MonitorSession::scheduleLinkRetry(int ms)
{
    if (!linkRetry->isActive()) linkRetry->start(ms);
}

void MonitorSession::endCycle()
{
    transferWait->stop();
    if (phase == Idle) return;
    phase = Idle;
    if (refreshAgain) {
        refreshAgain = false;
        refresh();
    }
}

void MonitorSession::setNode(NodeState state)
{
    if (state == nodeNow) return;
    nodeNow = state;
    Q_EMIT statusChanged();
}
