#include "app/Body.h"

#include "config/ConfigStore.h"
#include "config/ConfigText.h"
#include "dsp/VexDA.h"
#include "zephra/Zephra.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QHostInfo>
#include <QPointer>
#include <QTcpSocket>

namespace {

// A reply is a word or two: the socket holds no more than this unread, so a consumer
// that floods the link is slowed by TCP instead of filling memory.
constexpr qint64 replyReadCap = 4096;
constexpr int loggedTextCap = 80;
// Each "Nack" costs a whole transfer: a consumer that sends them faster than it reads
// must not make the unsent data grow without bound.
constexpr qint64 unsentCap = 4 * 1024 * 1024;
// A consumer that answers "Nack" for ever, or trickles bytes that are no reply, would keep a
// blocking transfer, and every request with it, waiting for ever: the whole transfer gets as
// long as this many replies may take.
constexpr int blockingReplyWaits = 3;
// Before a transfer, what the consumer sent earlier is dropped; a consumer that keeps sending
// must not hold the transfer there, so only this much is looked at.
constexpr qint64 staleReplyCap = 16 * replyReadCap;
const QColor ackColor(0, 0, 255);
const QColor puzzledColor(255, 128, 0);

// The address text resolved once: a literal as it is, a host name looked up (its first IPv4
// address preferred, so "localhost" is the loopback address). Null, with the reason, when
// neither: a bad text must never widen the listener to every interface.
QHostAddress listenAddressOf(const QString& text, QString* why)
{
    QHostAddress address;
    if (address.setAddress(text)) return address;
    if (text.trimmed().isEmpty()) {
        *why = "no address given";
        return QHostAddress();
    }
    const QHostInfo info = QHostInfo::fromName(text);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        *why = info.errorString().left(loggedTextCap);
        return QHostAddress();
    }
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a;
    return info.addresses().first();
}

} // namespace

void Body::setUpDataLink()
{
    simpleTrans = isFlagSet(configStore.value("SIMPLE_TRANS", "1"));
    resendAfterReconnect = false;
    waitingForAck = false;
    wordFinder.words << ackWord << nackWord;

    dataLink = nullptr;
    dataLinkStream = nullptr;
    dataLinkServer.setMaxPendingConnections(1); // one consumer at a time
    QString why;
    const QHostAddress address = listenAddressOf(dataLinkIp, &why);
    if (dataLinkPort < 0 || dataLinkPort > 65535) why = QString("port %1 out of range").arg(dataLinkPort);
    if (address.isNull() || !why.isEmpty())
        Q_EMIT log(QString("Data-Link not listening on \"%1\": %2").arg(dataLinkIp.left(loggedTextCap), why),
                   alertColor);
    else if (!dataLinkServer.listen(address, quint16(dataLinkPort)))
        Q_EMIT log(QString("Data-Link cannot listen on %1 port %2: %3")
                       .arg(address.toString())
                       .arg(dataLinkPort)
                       .arg(dataLinkServer.errorString()),
                   alertColor);

    connect(&dataLinkServer, &QTcpServer::newConnection, this, &Body::askNewDataLink);
    ackTimer.setTimerType(Qt::PreciseTimer); // a coarse one may give up 5 % early
    connect(&ackTimer, &QTimer::timeout, this, &Body::dataTransWaitTimeout);
}

bool Body::discardDataLink()
{
    Q_EMIT log("Discarding DataLink", alertColor);
    const bool existed = dataLink != nullptr;
    if (dataLink) {
        // All of them: a socket on its way out must not feed the next link's slots.
        disconnect(dataLink, nullptr, this, nullptr);
        dataLink->deleteLater();
        dataLink = nullptr;
    }
    if (dataLinkStream) {
        delete dataLinkStream;
        dataLinkStream = nullptr;
    }
    return existed;
}

void Body::askNewDataLink()
{
    discardDataLink(); // there is none: a second consumer waits in the listen queue
    Q_EMIT log("Data-Link Connected");
    // Taking a connection turns accepting back on, so the stop comes after it.
    dataLink = dataLinkServer.nextPendingConnection();
    if (!dataLink) return;
    stopAcceptingDataLinks();
    dataLink->setReadBufferSize(replyReadCap);
    // The last piece of a transfer is shorter than a segment: held back until the consumer
    // acknowledges the rest, it would wait for the consumer's delayed acknowledgement.
    dataLink->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    dataLinkStream = new QDataStream(dataLink);
    rxBuffer.clear(); // what the last consumer sent is no reply of this one
    connect(dataLink, &QTcpSocket::disconnected, this, &Body::dataLinkDisconnected);
    if (!simpleTrans) connect(dataLink, &QTcpSocket::readyRead, this, &Body::readyReadFromDataLink);

    if (resendAfterReconnect) {
        Q_EMIT log("1: after reconnect DataLink send data again", alertColor);
        // Not inside the accept notification: the event loop turns between two consumers, and
        // the requests that came meanwhile are answered first.
        const QPointer<QTcpSocket> link = dataLink;
        QMetaObject::invokeMethod(
            this,
            [this, link] {
                if (link && link == dataLink && resendAfterReconnect) blockingTransfer();
            },
            Qt::QueuedConnection);
    }
    if (waitingForAck) {
        Q_EMIT log("2: after reconnect DataLink send data again", alertColor);
        eventDrivenSend();
    }
}

// Pausing alone does not stop the server from accepting the rest of the queue within the
// notification that is running; allowing no pending connection does. Whoever else connects
// waits in the listen queue, where the system bounds what it may send.
void Body::stopAcceptingDataLinks()
{
    dataLinkServer.setMaxPendingConnections(0);
    dataLinkServer.pauseAccepting();
}

void Body::acceptDataLinks()
{
    if (!dataLinkServer.isListening()) return; // resuming a server that never listened crashes
    dataLinkServer.setMaxPendingConnections(1);
    dataLinkServer.resumeAccepting();
}

void Body::dataLinkDisconnected()
{
    Q_EMIT log("Data-Link Dis-Connected");
    discardDataLink();
    acceptDataLinks();
}

int Body::dataLinkPortInUse() const
{
    return dataLinkServer.isListening() ? dataLinkServer.serverPort() : dataLinkPort;
}

void Body::askGetDataLinkCh(AMsg msg)
{
    const QString text = QString("%1 %2").arg(dataLinkIp).arg(dataLinkPortInUse());
    Q_EMIT log(QString("Ans to Get Data Link Ch as [%1]").arg(text));
    zephra->sendAnswer(msg, text);
}

void Body::askGetMCAs(AMsg msg)
{
    if (!checkParamCount(msg, 0)) return;
    zephra->sendAnswer(msg, "Ok:");
    for (VexDA* unit : vexDAs.units())
        if (unit->busy) unit->makeMcaSet(0);

    if (!dataLink) {
        // Nothing to write to: the data go out as soon as a consumer connects.
        Q_EMIT log("No Data-Link: data go out when a consumer connects", alertColor);
        if (simpleTrans)
            resendAfterReconnect = true;
        else
            waitingForAck = true;
        return;
    }
    if (simpleTrans)
        blockingTransfer();
    else
        eventDrivenSend();
}

void Body::sendMcas()
{
    const QVector<VexDA*>& units = vexDAs.units();
    int r = 0;
    int c = 0;
    if (!units.isEmpty()) {
        r = units.first()->lastMcaSet()->id;
        c = units.first()->lastMcaSet()->runCount;
        for (int i = 0; i < units.size(); ++i)
            if (units.at(i)->lastMcaSet()->id != r)
                Q_EMIT log(QString("!! *** MeasNums are different between dsps %1 for %2, %3 for %4")
                               .arg(0)
                               .arg(r)
                               .arg(i)
                               .arg(units.at(i)->lastMcaSet()->id),
                           alertColor);
    }
    if (dataLink && dataLink->bytesToWrite() > unsentCap) {
        Q_EMIT log("Data-Link: too much not sent yet, data not sent again", alertColor);
        return;
    }
    for (int k = 0; k < channels.size(); ++k) {
        McaBlock& block = channels.at(k).unit->lastMcaSet()->blocks[channels.at(k).ch];
        if (k == 0) block.setWord(4, quint32(c));
        if (k == 1) block.setWord(4, quint32(r));
        if (dataLinkStream) dataLinkStream->writeRawData(block.bytes().constData(), McaBlock::totalSize);
    }
}

void Body::eventDrivenSend()
{
    ackTimer.stop();
    ackTimer.setInterval(ackWaitMs);
    ackTimer.start();
    waitingForAck = true;
    sendMcas();
}

void Body::readyReadFromDataLink()
{
    if (!dataLink) return;
    rxBuffer += dataLink->readAll();
    int index = 0;
    QByteArray word;
    int pos = 0;
    int end = 0;
    int from = 0;
    while (wordFinder.find(rxBuffer, &index, &word, &pos, &end, from)) {
        from = end; // the bytes before the word go with it
        const bool ack = word == ackWord;
        if (waitingForAck && ack) {
            Q_EMIT log("2: in data trans : Rcv Ack ==> Normal end of Data Transfer", ackColor);
            waitingForAck = false;
            ackTimer.stop();
        } else if (waitingForAck) {
            Q_EMIT log("2: in data trans : Rcv Nack ==> Send data again", alertColor);
            eventDrivenSend();
        } else if (ack) {
            Q_EMIT log("2: out of data trans : Rcv Ack ==> Do nothing", alertColor);
        } else {
            Q_EMIT log("2: out of data trans : Rcv Nack ==> Send data again", alertColor);
            eventDrivenSend();
        }
    }
    // Of what holds no word, only a tail that may still begin one can matter.
    rxBuffer.remove(0, qMax(from, rxBuffer.size() - wordFinder.longestPrefix()));
}

void Body::dataTransWaitTimeout()
{
    if (waitingForAck) {
        Q_EMIT log("2: in data trans : TimeOut ==> Disconnect from DSP", alertColor);
        ackTimer.stop();
        discardDataLink();
        acceptDataLinks();
    } else {
        Q_EMIT log("2: out of data trans : TimeOut ==> I don't know What To Do!!", puzzledColor);
        ackTimer.stop();
    }
}

// A stray "Ack" sent before a transfer must not acknowledge data the consumer never got.
void Body::dropStaleReplies()
{
    qint64 dropped = 0;
    // A consumer that leaves meanwhile has been discarded by then.
    while (dataLink && dropped < staleReplyCap) {
        dropped += dataLink->readAll().size();
        if (!dataLink->waitForReadyRead(0)) break;
    }
}

void Body::blockingTransfer()
{
    dropStaleReplies();
    sendMcas();
    const QDeadlineTimer limit(qint64(blockingReplyWaits) * ackWaitMs);
    for (;;) {
        const int waitMs = int(qMin<qint64>(ackWaitMs, limit.remainingTime()));
        // A consumer that leaves during the wait has been discarded by then.
        const bool replied = dataLink && waitMs > 0 && dataLink->waitForReadyRead(waitMs) && dataLink;
        if (!replied) {
            Q_EMIT log("1: TimeOut Data Transfer", alertColor);
            resendAfterReconnect = true;
            discardDataLink();
            acceptDataLinks();
            return;
        }
        const QByteArray reply = dataLink->readAll();
        if (reply.startsWith(ackWord)) {
            Q_EMIT log("1: Rcv::Ack", ackColor);
            resendAfterReconnect = false;
            return;
        }
        if (reply.startsWith(nackWord)) {
            Q_EMIT log("1: Rcv::Nack", alertColor);
            sendMcas();
        } else {
            Q_EMIT log("1: Rcv::Unknown", alertColor);
        }
    }
}
