#include "dsp/VexUnit.h"

#include "dsp/RegisterFrame.h"

#include <QDeadlineTimer>
#include <QSignalBlocker>
#include <QThread>

#include <cstring>

quint16 VexUnit::registerPort = 4660;
quint16 VexUnit::dataPort = 24;
bool VexUnit::startUpPhase = false;

VexUnit::VexUnit(const QString& name, const QString& ipAddress, QObject* parent) : QObject(parent)
{
    received.reserve(maxDatagramSize);
    unitStat.TCPStat->setRunStat(RunStat::Stay);
    unitStat.UDPTimeout->setOk();
    unitStat.TCPTimeout->setOk();

    unitName = name;
    unitStat.ID->setText(unitName);
    setIpAddress(ipAddress);
    tcpIsConnected = false;
    connect(&udpSocket, &QUdpSocket::readyRead, this, &VexUnit::udpDataReady);
    connect(&tcpSocket, &QTcpSocket::connected, this, &VexUnit::tcpConnected);
    connect(&tcpSocket, &QTcpSocket::disconnected, this, &VexUnit::tcpDisconnected);
    connect(&tcpSocket, &QTcpSocket::readyRead, this, &VexUnit::tcpDataReadySignal);
    tcpReopenTimer.setSingleShot(true);
    tcpReopenTimer.setInterval(tcpReopenIntervalMs);
    connect(&tcpReopenTimer, &QTimer::timeout, this, &VexUnit::reopenTcp);
    // A connection refused or never made is tried again like one that was lost.
    connect(&tcpSocket, &QTcpSocket::errorOccurred, this, [this]() {
        if (tcpWanted && tcpSocket.state() == QAbstractSocket::UnconnectedState && !tcpIsConnected)
            tcpReopenTimer.start();
    });
}

VexUnit::~VexUnit()
{
    // The socket closes in its destructor, after the timer its slots would start is gone.
    tcpSocket.disconnect(this);
}

void VexUnit::setStartUpPhase(bool on)
{
    startUpPhase = on;
}

void VexUnit::setPorts(quint16 udp, quint16 tcp)
{
    registerPort = udp;
    dataPort = tcp;
}

void VexUnit::setIpAddress(const QString& ip)
{
    ipAddress = ip;
    hostAddress = QHostAddress(ip);
    unitStat.IP->setText(ipAddress);
}

void VexUnit::unitLog(const QString& msg)
{
    Q_EMIT log(QString("%1: %2").arg(unitName, msg));
}

bool VexUnit::readRegister(quint32 address, bool waitAnswer, int length)
{
    RegisterFrame::buildRead(request, address, length);
    return sendRequest(address, waitAnswer, length & 0xFF);
}

quint64 VexUnit::readValue(quint32 address, int length, bool* answered)
{
    const bool ok = readRegister(address, true, length);
    if (answered) *answered = ok;
    return decodeBigEndian(length, lastPayload);
}

bool VexUnit::writeRegister(quint32 address, quint64 value, bool waitAnswer, int length)
{
    RegisterFrame::buildWrite(request, address, value, length);
    return sendRequest(address, waitAnswer, qBound(0, length, 8));
}

bool VexUnit::sendRequest(quint32 address, bool waitAnswer, int length)
{
    if (silentAtStartUp && !startUpPhase) silentAtStartUp = false;
    if (!waitAnswer) {
        udpSocket.writeDatagram(request, hostAddress, registerPort);
        return true;
    }
    if (silentAtStartUp) {
        udpSocket.writeDatagram(request, hostAddress, registerPort);
        parseAnswer(QByteArray()); // as a time-out leaves it
        return false;
    }
    dropStaleDatagrams();
    udpSocket.writeDatagram(request, hostAddress, registerPort);
    expectedAnswerSize = RegisterFrame::headSize + length;
    const bool answered = this->waitAnswer(answerTimeoutMs, address);
    if (startUpPhase && startUpAccesses++ == 0 && !answered) silentAtStartUp = true;
    return answered;
}

// An answer for another address, or with more or fewer register bytes than asked for,
// answers some other request: the settings write-back would put its value into the wrong
// register, and a longer payload would be read as a wrong number. A late answer to a read
// must not be taken for a write's (the packet id tells them apart), nor a datagram from
// anywhere but the unit for its answer.
bool VexUnit::answerFits(const QByteArray& datagram, quint32 address) const
{
    return senderAddress.isEqual(hostAddress, QHostAddress::ConvertV4MappedToIPv4) &&
           datagram.size() >= RegisterFrame::headSize && datagram.at(2) == request.at(2) &&
           RegisterFrame::answerFits(datagram, address, expectedAnswerSize);
}

// Whatever is queued before a request is sent cannot answer it: a late answer to an
// earlier request would otherwise be taken for this one.
void VexUnit::dropStaleDatagrams()
{
    if (udpSocket.state() != QAbstractSocket::BoundState) return;
    // Bounded: a flood of datagrams must not hold the request before it is sent.
    for (int n = 0; n < maxStaleDatagrams && udpSocket.hasPendingDatagrams(); ++n)
        readDatagramInto(received);
}

// Reads into a buffer as large as any datagram, which spares asking for the size first.
void VexUnit::readDatagramInto(QByteArray& datagram)
{
    datagram.resize(maxDatagramSize);
    const qint64 size = udpSocket.readDatagram(datagram.data(), maxDatagramSize, &senderAddress);
    datagram.resize(int(qMax<qint64>(size, 0)));
}

// The one way a call waits for a unit, on either socket. The toolkit emits readyRead from
// inside the wait (and errorOccurred at its end): held back, so that the handlers of
// unsolicited data cannot take what the waiting call reads. What they miss of the
// connection's state is made up for by the caller.
static bool waitForData(QAbstractSocket& socket, int timeoutMs)
{
    if (timeoutMs <= 0) return false;
    const QSignalBlocker heldBack(socket);
    return socket.waitForReadyRead(timeoutMs);
}

bool VexUnit::waitForTcpData(int timeoutMs)
{
    const bool arrived = waitForData(tcpSocket, timeoutMs);
    // A connection lost during the wait would otherwise stay shown as up, and not be re-opened.
    if (tcpIsConnected && tcpSocket.state() != QAbstractSocket::ConnectedState) tcpDisconnected();
    return arrived;
}

bool VexUnit::waitAnswer(int timeoutMs, quint32 address)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The answer is never there the moment the request has gone: wait first, then read.
    while (waitForData(udpSocket, int(deadline.remainingTime()))) {
        // A wait that ends with data leaves a datagram queued: read without asking first. A
        // flood of other datagrams ends at the deadline too.
        do {
            readDatagramInto(received);
            if (answerFits(received, address)) {
                unitStat.UDPTimeout->setOk();
                takeAnswer(received);
                return true;
            }
        } while (!deadline.hasExpired() && udpSocket.hasPendingDatagrams());
    }
    unitLog(QString("Err. Timeout waiting ans from UDP for CMD [%1]").arg(address, 8, 16, QLatin1Char('0')));
    parseAnswer(QByteArray());
    unitStat.UDPTimeout->setNG();
    return false;
}

void VexUnit::parseAnswer(const QByteArray& datagram)
{
    lastAnswer = datagram;
    decodeLastAnswer();
}

// Copying the few bytes keeps both buffers allocated once, datagram after datagram.
void VexUnit::takeAnswer(const QByteArray& datagram)
{
    lastAnswer.resize(datagram.size());
    memcpy(lastAnswer.data(), datagram.constData(), size_t(datagram.size()));
    decodeLastAnswer();
}

void VexUnit::decodeLastAnswer()
{
    RegisterFrame::decodeAnswer(lastAnswer, lastHeader, lastAddress, lastPayload, lastValue);
}

void VexUnit::udpDataReady()
{
    // Bounded per notification: a flood must leave the event loop time for everything else
    // (the notifier fires again while datagrams wait).
    for (int n = 0; n < maxStaleDatagrams && udpSocket.hasPendingDatagrams(); ++n) {
        readDatagramInto(received);
        takeAnswer(received);
        Q_EMIT lastUdpDataReady();
    }
}

void VexUnit::openTcp()
{
    tcpWanted = true;
    unitLog("Trying to connect via TCP");
    tcpSocket.connectToHost(hostAddress, dataPort, QIODevice::ReadWrite);
    unitStat.TCPStat->setRunStat(RunStat::InTransition);
}

bool VexUnit::connectTcpNow(const QDeadlineTimer& deadline)
{
    if (tcpSocket.state() == QAbstractSocket::ConnectedState) return true;
    tcpWanted = true;
    if (tcpOpenFailed) return false;
    if (tcpSocket.state() != QAbstractSocket::ConnectingState) {
        tcpSocket.abort();
        tcpSocket.connectToHost(hostAddress, dataPort, QIODevice::ReadWrite);
        unitStat.TCPStat->setRunStat(RunStat::InTransition);
    }
    // A refused connection ends the wait at once; tcpConnected runs inside it.
    if (tcpSocket.waitForConnected(int(qMax<qint64>(deadline.remainingTime(), 1)))) return true;
    tcpOpenFailed = true;
    unitLog("Err. TCP connection not made for Histgram");
    tcpSocket.abort();
    unitStat.TCPStat->setRunStat(RunStat::Stay);
    tcpReopenTimer.start();
    return false;
}

void VexUnit::tcpConnected()
{
    tcpOpenFailed = false;
    tcpIsConnected = true;
    unitLog("tcp connected");
    unitStat.TCPStat->setRunStat(RunStat::Running);
    for (qint64 n = tcpSocket.bytesAvailable(); n > 0; n = tcpSocket.bytesAvailable()) {
        Q_EMIT log(QString("On Establishing TCP connection, something in buffer [%1bytes]").arg(n));
        tcpSocket.read(n);
        QThread::msleep(5);
    }
}

void VexUnit::tcpDisconnected()
{
    tcpIsConnected = false;
    unitLog("tcp disconnected");
    unitStat.TCPStat->setRunStat(RunStat::Stay);
    if (tcpWanted) {
        unitLog(
            QString("re-opening the TCP connection every %1 ms until it is made").arg(tcpReopenIntervalMs));
        tcpReopenTimer.start();
    }
}

void VexUnit::reopenTcp()
{
    tcpOpenFailed = false;
    if (tcpSocket.state() != QAbstractSocket::UnconnectedState) return;
    tcpSocket.connectToHost(hostAddress, dataPort, QIODevice::ReadWrite);
    unitStat.TCPStat->setRunStat(RunStat::InTransition);
}

void VexUnit::resyncTcp()
{
    tcpSocket.abort();
    if (tcpIsConnected)
        tcpDisconnected();
    else if (tcpWanted && !tcpReopenTimer.isActive())
        tcpReopenTimer.start();
}

void VexUnit::discardTcpInput()
{
    const qint64 n = tcpSocket.bytesAvailable();
    if (n <= 0) return;
    unitLog(QString("Something left in TCP read buffer of %1 bytes are discarded").arg(n));
    tcpSocket.read(n);
}
