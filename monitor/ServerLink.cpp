#include "monitor/ServerLink.h"

#include "config/ConfigText.h"
#include "zephra/ZephraWire.h"

#include <QTcpSocket>
#include <QTimer>

ServerLink::ServerLink(QObject* parent)
    : QObject(parent), socket(new QTcpSocket(this)), retry(new QTimer(this)), logInTimer(new QTimer(this)),
      answerTimer(new QTimer(this))
{
    qRegisterMetaType<AMsg>();
    retry->setSingleShot(true);
    logInTimer->setSingleShot(true);
    logInTimer->setInterval(logInWaitMs);
    answerTimer->setInterval(answerWaitMs / 10);
    connect(retry, &QTimer::timeout, this, &ServerLink::connectNow);
    connect(logInTimer, &QTimer::timeout, this, [this] { lost("no log-in in time"); });
    connect(answerTimer, &QTimer::timeout, this, &ServerLink::expireAsks);
    connect(socket, &QTcpSocket::connected, this, [this] {
        setState(LoggingIn);
        logInTimer->start();
    });
    connect(socket, &QTcpSocket::readyRead, this, &ServerLink::receive);
    connect(socket, &QTcpSocket::errorOccurred, this, [this] { lost(socket->errorString()); });
    connect(socket, &QTcpSocket::disconnected, this, [this] { lost("connection closed"); });
}

void ServerLink::setPeer(const QString& host, quint16 port, const QString& name, const QString& keys)
{
    serverHost = host;
    serverPort = port;
    ownName = name;
    keyFile = keys;
}

void ServerLink::start()
{
    nextRetryMs = firstRetryMs;
    connectNow();
}

void ServerLink::connectNow()
{
    if (socket->state() != QAbstractSocket::UnconnectedState) return;
    received.clear();
    setState(Connecting);
    // A peer that never completes the connection would otherwise hold it for minutes.
    logInTimer->start();
    socket->connectToHost(serverHost, serverPort);
}

bool ServerLink::ask(const QString& node, const QString& cmd, const QString& params)
{
    if (current != Ready || pending.size() >= maxPending) return false;
    const QString line = ZephraWire::formatLine(ownName, QString(), node, ZephraWire::askBody(cmd, params));
    socket->write(ZephraWire::encode(line));
    socket->flush();
    pending.append({cmd, QDeadlineTimer(answerWaitMs)});
    if (!answerTimer->isActive()) answerTimer->start();
    Q_EMIT traffic(clipForLog(line), true);
    return true;
}

void ServerLink::receive()
{
    received.append(socket->read(socket->bytesAvailable()));
    QByteArray raw;
    while (socket->state() == QAbstractSocket::ConnectedState && received.takeLine(raw))
        take(ZephraWire::decode(raw));
    if (const int dropped = received.takeDroppedLines())
        Q_EMIT traffic(
            QString("%1 line(s) longer than %2 bytes dropped").arg(dropped).arg(LineBuffer::maxLineBytes),
            false);
}

void ServerLink::take(const QString& line)
{
    Q_EMIT traffic(clipForLog(line.trimmed()), false);
    if (current == LoggingIn && !keySent) {
        keySent = true;
        sendKey(line);
        return;
    }
    if (current == LoggingIn) {
        if (!line.startsWith(ZephraWire::okPrefix(ownName))) {
            lost("log-in refused: " + clipForLog(line.trimmed()));
            return;
        }
        logInTimer->stop();
        nextRetryMs = firstRetryMs;
        setState(Ready);
        return;
    }
    AMsg msg;
    if (current != Ready || !msg.parse(line)) return;
    if (msg.type == AMsg::Event) {
        Q_EMIT eventReceived(msg);
        return;
    }
    if (msg.type != AMsg::Ans) return;
    for (int i = 0; i < pending.size(); ++i) {
        if (pending.at(i).cmd != msg.cmd) continue;
        pending.removeAt(i);
        Q_EMIT answered(msg);
        return;
    }
}

void ServerLink::sendKey(const QString& challenge)
{
    bool opened = false;
    const QStringList keys = ZephraWire::readKeys(keyFile, &opened);
    if (keys.isEmpty()) {
        lost(opened ? QString("no key in %1").arg(keyFile) : QString("cannot read key file %1").arg(keyFile));
        return;
    }
    const QString key = keys.at(ZephraWire::keyIndex(ZephraWire::challengeNumber(challenge), keys.size()));
    socket->write(QString("%1 %2\n").arg(ownName, key).toLatin1());
    socket->flush();
}

void ServerLink::lost(const QString& why)
{
    // A loss often shows twice, as an error and as a disconnection: reported once.
    if (retry->isActive()) return;
    retry->start(nextRetryMs);
    logInTimer->stop();
    keySent = false;
    answerTimer->stop();
    pending.clear();
    socket->abort();
    received.clear();
    setState(Down, why);
    nextRetryMs = qMin(nextRetryMs * 2, lastRetryMs);
}

void ServerLink::setState(State state, const QString& why)
{
    current = state;
    Q_EMIT stateChanged(state, why);
}

void ServerLink::expireAsks()
{
    while (!pending.isEmpty() && pending.first().deadline.hasExpired())
        Q_EMIT askTimedOut(pending.takeFirst().cmd);
    if (pending.isEmpty()) answerTimer->stop();
}
