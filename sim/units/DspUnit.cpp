#include "DspUnit.h"

#include "HistogramStream.h"
#include "UnitAddresses.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace A = UnitAddresses;

namespace {

constexpr quint16 initialPeakingTime = 200; // 2 us
// A pulse keeps the channel busy for a few peaking times; never less than half a microsecond.
constexpr double deadTimePerPeakingTime = 2.5;
constexpr double minDeadTime = 0.5e-6;
// Channel c counts a little faster than channel c - 1, so channels can be told apart.
constexpr double rateStep = 0.05;
// What follows a histogram under the trailing-bytes fault: no bin count a test would expect.
constexpr char trailingFiller = char(0x5A);

// Word i (0 the most significant) of a quantity spanning `words` registers.
quint16 wordOf(quint64 value, int i, int words)
{
    return quint16(value >> (16 * (words - 1 - i)));
}

std::array<double, MeasurementModel::channels> channelRates(double rate)
{
    std::array<double, MeasurementModel::channels> r{};
    for (int c = 0; c < MeasurementModel::channels; ++c)
        r[c] = std::max(0.0, rate) * (1 + rateStep * c);
    return r;
}

quint64 rounded(double v)
{
    return quint64(std::llround(std::max(0.0, v)));
}

} // namespace

DspUnit::DspUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config, int index,
                 QObject* parent)
    : EmulatedUnit(name, address, config, parent), server_(new QTcpServer(this)),
      model_(channelRates(config.countRate), quint64(config.seed) << 16 | quint64(index))
{
    connect(server_, &QTcpServer::newConnection, this, &DspUnit::acceptClients);
    // Power-on state: no preset, a plausible filter setting on every channel.
    for (quint32 a = A::measTime1; a <= A::measTime3; a += 2)
        regs_.insert(a, wordOf(A::noPreset, int(a - A::measTime1) / 2, 3));
    for (int c = 0; c < A::channelCount; ++c) {
        regs_.insert(A::sFilterPeakingT + A::channelStride * quint32(c), initialPeakingTime);
        model_.setDeadTimePerEvent(c, deadTimePerEvent(initialPeakingTime), 0);
    }
}

double DspUnit::deadTimePerEvent(quint16 peakingTime)
{
    return std::max(minDeadTime, deadTimePerPeakingTime * peakingTime * 1e-8);
}

bool DspUnit::bind(quint16 udpPort, quint16 tcpPort, QString* error)
{
    if (!EmulatedUnit::bind(udpPort, tcpPort, error)) return false;
    tcpPort_ = tcpPort;
    if (!listen(error)) return false;
    tcpPort_ = server_->serverPort();
    return true;
}

bool DspUnit::listen(QString* error)
{
    if (server_->listen(address(), tcpPort_)) return true;
    const QString text = QStringLiteral("%1: TCP %2:%3: %4")
                             .arg(name(), address().toString())
                             .arg(tcpPort_)
                             .arg(server_->errorString());
    if (error)
        *error = text;
    else
        qWarning().noquote() << text;
    return false;
}

void DspUnit::faultsChanged(const UnitFaults& before)
{
    if (faults_.refuseTcp == before.refuseTcp) return;
    if (faults_.refuseTcp)
        server_->close();
    else
        listen(nullptr);
}

void DspUnit::acceptClients()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (faults_.refuseTcp) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (verbose_)
            qInfo().noquote() << name() << "tcp client from" << socket->peerAddress().toString()
                              << socket->peerPort();
        auto* stream = new HistogramStream(socket, verbose_, this);
        connect(stream, &HistogramStream::closed, this, [this](HistogramStream* s) {
            streams_.removeOne(s);
            s->deleteLater();
        });
        streams_.append(stream);
    }
}

void DspUnit::closeTcp()
{
    const QList<HistogramStream*> streams = streams_;
    for (HistogramStream* s : streams)
        s->close();
}

bool DspUnit::channelRegister(quint32 address, int* ch, quint32* channel0Address) const
{
    if (address < A::channelBase || address >= A::channelBase + A::channelStride * A::channelCount)
        return false;
    *ch = int((address - A::channelBase) / A::channelStride);
    *channel0Address = address - A::channelStride * quint32(*ch);
    return true;
}

bool DspUnit::computedWord(quint32 address, qint64 nowNs, quint16* value)
{
    if (address >= A::realTime1 && address <= A::realTime3 && address % 2 == 0) {
        *value = wordOf(model_.realTicks(nowNs), int(address - A::realTime1) / 2, 3);
        return true;
    }
    int c = 0;
    quint32 a = 0;
    if (!channelRegister(address, &c, &a)) return false;
    const bool measured = model_.realTicks(nowNs) > 0;
    switch (a) {
    case A::fTotalCount1:
    case A::fTotalCount2:
        *value = wordOf(model_.inputCount(c, nowNs), int(a - A::fTotalCount1) / 2, 2);
        return true;
    case A::thTotalCount1:
    case A::thTotalCount2:
        *value = wordOf(model_.throughputCount(c, nowNs), int(a - A::thTotalCount1) / 2, 2);
        return true;
    case A::icr1:
    case A::icr2:
        *value = wordOf(measured ? rounded(model_.inputRate(c)) : 0, int(a - A::icr1) / 2, 2);
        return true;
    case A::thCountR1:
    case A::thCountR2:
        *value = wordOf(measured ? rounded(model_.throughputRate(c)) : 0, int(a - A::thCountR1) / 2, 2);
        return true;
    default:
        break;
    }
    if (a >= A::liveTime1 && a <= A::liveTime3) {
        *value = wordOf(model_.liveTicks(c, nowNs), int(a - A::liveTime1) / 2, 3);
        return true;
    }
    if (a >= A::deadTime1 && a <= A::deadTime3) {
        *value = wordOf(model_.deadTicks(c, nowNs), int(a - A::deadTime1) / 2, 3);
        return true;
    }
    return false;
}

void DspUnit::storeWord(quint32 address, quint16 value, qint64 nowNs)
{
    quint16 unused = 0;
    if (computedWord(address, nowNs, &unused)) return; // read-only: a write changes nothing
    EmulatedUnit::storeWord(address, value, nowNs);

    if (address == A::start) {
        if (value != 0)
            model_.start(nowNs);
        else
            model_.stop(nowNs);
    } else if (address >= A::measTime1 && address <= A::measTime3) {
        quint64 preset = 0;
        for (quint32 a = A::measTime1; a <= A::measTime3; a += 2)
            preset = preset << 16 | regs_.value(a);
        model_.setPreset(preset, nowNs);
    } else if (address == A::clear) {
        if (value != 0) model_.clear(nowNs);
    } else if (address == A::histgram) {
        if (value < A::channelCount) requestedHistograms_.append(value);
        // The bins go to the clients connected when the request came, as far as the kernel
        // goes, even if their connection still waits in the event queue; not to one that
        // connects after the answer.
        if (server_->isListening()) server_->waitForNewConnection(0);
        acceptClients();
    } else {
        int c = 0;
        quint32 a = 0;
        if (channelRegister(address, &c, &a) && a == A::sFilterPeakingT)
            model_.setDeadTimePerEvent(c, deadTimePerEvent(value), nowNs);
    }
}

void DspUnit::afterRequest()
{
    // Sent after the register answer, as the unit acknowledges the request before streaming.
    const QList<int> channels = requestedHistograms_;
    requestedHistograms_.clear();
    for (int ch : channels)
        sendHistogram(ch);
}

void DspUnit::sendHistogram(int ch)
{
    const QVector<quint32>& bins = model_.histogram(ch, nowNs());
    QByteArray data(A::histogramBytes, Qt::Uninitialized);
    qToBigEndian<quint32>(bins.constData(), A::histogramBins, data.data());
    if (faults_.cutBytes >= 0) data.truncate(faults_.cutBytes);
    data.append(QByteArray(qMax(0, faults_.trailingBytes), trailingFiller));
    if (verbose_)
        qInfo().noquote() << name() << "histogram" << ch << data.size() << "bytes to" << streams_.size()
                          << "client(s)";
    for (HistogramStream* s : qAsConst(streams_))
        s->send(data, faults_.pieceBytes, faults_.pieceGapMs, faults_.closeAfterHistogram);
}

QVector<quint32> DspUnit::histogram(int ch)
{
    return model_.histogram(ch, nowNs());
}

void DspUnit::setHistogram(int ch, const QVector<quint32>& bins)
{
    model_.setHistogram(ch, bins);
}
