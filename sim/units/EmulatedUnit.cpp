#include "EmulatedUnit.h"

#include "RegisterRequest.h"

#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>

#include <cstring>

namespace {
// A stray answer names a register well away from the one asked for and carries a filler
// byte that no emulated register is likely to hold in every byte.
constexpr quint32 strayAddressOffset = 0x100;
constexpr char strayFiller = char(0xA5);
// The wrong-address fault names the next register.
constexpr quint32 wrongAddressOffset = 2;
} // namespace

EmulatedUnit::EmulatedUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config,
                           QObject* parent)
    : QObject(parent), verbose_(config.verbose), name_(name), address_(address), udp_(new QUdpSocket(this)),
      requestLogLimit_(config.requestLogLimit)
{
    clock_.start();
    connect(udp_, &QUdpSocket::readyRead, this, &EmulatedUnit::readDatagrams);
}

bool EmulatedUnit::bind(quint16 udpPort, quint16 tcpPort, QString* error)
{
    Q_UNUSED(tcpPort)
    if (!udp_->bind(address_, udpPort, QAbstractSocket::DontShareAddress)) {
        if (error)
            *error = QStringLiteral("%1: UDP %2:%3: %4")
                         .arg(name_, address_.toString())
                         .arg(udpPort)
                         .arg(udp_->errorString());
        return false;
    }
    udpPort_ = udp_->localPort();
    return true;
}

void EmulatedUnit::setFaults(const UnitFaults& faults)
{
    const UnitFaults before = faults_;
    faults_ = faults;
    if (faults_.losePercent != before.losePercent || faults_.loseSeed != before.loseSeed)
        lossDraws_.seed(faults_.loseSeed);
    faultsChanged(before);
}

bool EmulatedUnit::computedWord(quint32 address, qint64 nowNs, quint16* value)
{
    Q_UNUSED(address)
    Q_UNUSED(nowNs)
    Q_UNUSED(value)
    return false;
}

void EmulatedUnit::storeWord(quint32 address, quint16 value, qint64 nowNs)
{
    Q_UNUSED(nowNs)
    regs_.insert(address, value);
}

quint16 EmulatedUnit::wordAt(quint32 address, qint64 nowNs)
{
    const auto pinned = pins_.constFind(address);
    if (pinned != pins_.constEnd()) return *pinned;
    quint16 value = 0;
    if (computedWord(address, nowNs, &value)) return value;
    return regs_.value(address, 0);
}

quint16 EmulatedUnit::readWord(quint32 address)
{
    return wordAt(address, nowNs());
}

quint64 EmulatedUnit::readWords(quint32 address, int words)
{
    const qint64 now = nowNs(); // one instant, as a single request would see it
    quint64 value = 0;
    for (int i = 0; i < words; ++i)
        value = value << 16 | wordAt(address + 2 * quint32(i), now);
    return value;
}

void EmulatedUnit::writeWord(quint32 address, quint16 value)
{
    storeWord(address, value, nowNs());
    afterRequest();
}

void EmulatedUnit::readDatagrams()
{
    QHostAddress from;
    quint16 port = 0;
    while (udp_->hasPendingDatagrams()) {
        const qint64 size = udp_->pendingDatagramSize();
        QByteArray datagram(int(qMax<qint64>(size, 0)), Qt::Uninitialized);
        const qint64 got = udp_->readDatagram(datagram.data(), datagram.size(), &from, &port);
        if (got < 0) continue;
        datagram.truncate(int(got));
        handle(datagram, from, port);
    }
}

void EmulatedUnit::handle(const QByteArray& datagram, const QHostAddress& from, quint16 port)
{
    lastSenderPort_ = port;
    if (requestLogLimit_ > 0) {
        if (requests_.size() >= requestLogLimit_) requests_.removeFirst();
        requests_.append(datagram);
    }
    RegisterRequest req;
    if (!req.parse(datagram)) {
        if (verbose_) qInfo().noquote() << name_ << "ignored" << datagram.toHex(' ');
        return;
    }
    if (verbose_)
        qInfo().noquote() << name_ << (req.write ? "write" : "read") << QString::number(req.address, 16)
                          << req.length << "from" << from.toString() << port;

    const qint64 now = nowNs();
    const auto* in = reinterpret_cast<const uchar*>(req.data);
    for (int i = 0; req.write && i < req.length; i += 2) {
        const quint32 a = req.wordAddress(i);
        // A lone last byte replaces the high half of its register only.
        const quint16 value = i + 1 < req.length ? qFromBigEndian<quint16>(in + i)
                                                 : quint16(in[i] << 8 | (regs_.value(a) & 0xFF));
        storeWord(a, value, now);
    }

    // A unit that falls silent mid-way still carries its requests out.
    // Drawn only while the loss is on, so that its draws follow the requests alone.
    const bool lost = faults_.losePercent > 0 && int(lossDraws_.bounded(100)) < faults_.losePercent;
    const bool silent = faults_.noAnswer || faults_.answersLeft == 0 || lost;
    if (faults_.answersLeft > 0) --faults_.answersLeft;
    if (!silent) {
        if (faults_.strayDatagram) {
            QByteArray stray;
            char* out = RegisterRequest::buildAnswerHead(stray, datagram, req.address + strayAddressOffset,
                                                         req.length);
            memset(out, strayFiller, size_t(req.length));
            sendAnswer(stray, from, port);
        }
        const quint32 answerAddress = req.address + (faults_.wrongAddress ? wrongAddressOffset : 0);
        char* out = RegisterRequest::buildAnswerHead(answer_, datagram, answerAddress, req.length);
        for (int i = 0; i < req.length; i += 2) {
            const quint16 w = wordAt(req.wordAddress(i), now);
            out[i] = char(w >> 8);
            if (i + 1 < req.length) out[i + 1] = char(w & 0xFF);
        }
        if (faults_.extraAnswerBytes > 0)
            answer_.append(QByteArray(faults_.extraAnswerBytes, char(strayFiller)));
        sendAnswer(answer_, from, port);
    }
    afterRequest();
}

void EmulatedUnit::sendAnswer(const QByteArray& answer, const QHostAddress& to, quint16 port)
{
    if (faults_.answerDelayMs <= 0) {
        udp_->writeDatagram(answer, to, port);
        return;
    }
    QTimer::singleShot(faults_.answerDelayMs, Qt::PreciseTimer, this,
                       [this, answer, to, port] { udp_->writeDatagram(answer, to, port); });
}
