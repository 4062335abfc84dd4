#include "dsp/VexDA.h"

#include "dsp/DspReg.h"
#include "dsp/HistogramAssembly.h"

#include <QDeadlineTimer>
#include <QtEndian>

VexDA::VexDA(const QString& name, const QString& ipAddress, QObject* parent)
    : VexUnit(name, ipAddress, parent), histogram(binCount, 0)
{
    tcpBuffer.reserve(histogramBytes);
    measTimer.setInterval(watchIntervalMs);
    connect(&measTimer, &QTimer::timeout, this, &VexDA::measWatch);
    connect(this, &VexUnit::tcpDataReadySignal, this, &VexDA::tcpDataReady);
    setMeasTimeToMax();
    applyPreset();
}

VexDA::~VexDA() = default;

quint64 VexDA::ticksFromSeconds(double seconds)
{
    const double ticks = seconds * Dsp::ticksPerSecond;
    if (!(ticks > 0)) // also NaN
        return 0;
    return ticks >= double(Dsp::largestTicks) ? Dsp::largestTicks : quint64(ticks);
}

void VexDA::setDataTransDelay(int ms)
{
    writeRegister(fixedRegs.dtDelay1, quint64(qint64(ms) * Dsp::dtDelayTicksPerMs), true, 4);
}

void VexDA::setMeasTimeRaw(quint64 ticks)
{
    writeRegister(fixedRegs.measTime1, ticks, true, 6);
}

quint64 VexDA::measTimeRaw()
{
    return readValue(fixedRegs.measTime1, 6);
}

void VexDA::setMeasTimeToMax()
{
    // Word by word, most significant first: 0x0FFF, 0xFFFF, 0xFFFF.
    writeRegister(fixedRegs.measTime1, (Dsp::maxMeasTime >> 32) & 0xFFFF, true, 2);
    writeRegister(fixedRegs.measTime2, (Dsp::maxMeasTime >> 16) & 0xFFFF, true, 2);
    writeRegister(fixedRegs.measTime3, Dsp::maxMeasTime & 0xFFFF, true, 2);
}

void VexDA::applyPreset()
{
    if (presetTypeValue == 0)
        setMeasTimeToMax();
    else if (presetTypeValue == 1 || presetTypeValue == 2)
        setMeasTimeRaw(ticksFromSeconds(presetValueSeconds));
}

void VexDA::setPresetType(int t)
{
    presetTypeValue = (t == 1 || t == 2) ? t : 0;
    applyPreset();
}

void VexDA::setPresetValue(double s)
{
    presetValueSeconds = s;
    applyPreset();
}

void VexDA::clearHistogram()
{
    writeRegister(fixedRegs.clear, 0, true, 2);
    writeRegister(fixedRegs.clear, 1, true, 2);
    writeRegister(fixedRegs.clear, 0, true, 2);
}

bool VexDA::readTimes()
{
    bool answered = false;
    realTime = double(readValue(fixedRegs.realTime1, 6, &answered)) * Dsp::secondsPerTick;
    liveTimes.clear();
    deadTimes.clear();
    icrs.clear();
    // A unit that does not answer is not waited for twelve times more: those reads would
    // give 0 as well.
    if (!answered) {
        liveTimes.fill(0, channelEnabled.size());
        deadTimes.fill(0, channelEnabled.size());
        icrs.fill(0, channelEnabled.size());
        return false;
    }
    for (int c = 0; c < channelEnabled.size(); ++c) {
        const quint32 o = quint32(channelOffsets.at(c));
        liveTimes << double(readValue(fixedRegs.liveTime1 + o, 6)) * Dsp::secondsPerTick;
        deadTimes << double(readValue(fixedRegs.deadTime1 + o, 6)) * Dsp::secondsPerTick;
        icrs << double(readValue(fixedRegs.icr1 + o, 4));
    }
    return true;
}

bool VexDA::getHistogram(int ch, quint32* dest)
{
    hgReady = false;
    const QDeadlineTimer deadline(histogramTransferTimeoutMs);
    Receipt got = fetchHistogram(ch, deadline);
    // The unit may have closed the link before we noticed: the bins then went nowhere.
    if (got == Receipt::LinkClosed) got = fetchHistogram(ch, deadline);
    if (got != Receipt::Whole) {
        unitStat.TCPTimeout->setNG();
        if (got != Receipt::NoLink) {
            unitLog("Err. Timeout waiting ans from TCP for Histgram");
            resyncTcp();
        }
        tcpBuffer.resize(0);
        return false;
    }
    storeHistogram(tcpBuffer, dest ? dest : histogram.data());
    tcpBuffer.resize(0);
    Q_EMIT hgDataReady();
    return true;
}

VexDA::Receipt VexDA::fetchHistogram(int ch, const QDeadlineTimer& deadline)
{
    // The unit sends the bins to the connections it has when the register is written, so the
    // link must be up first.
    if (!connectTcpNow(deadline)) return Receipt::NoLink;
    discardTcpInput();
    writeRegister(fixedRegs.histgram, quint64(ch), true, 2);
    tcpBuffer.resize(0);
    return receiveHistogram(deadline);
}

VexDA::Receipt VexDA::receiveHistogram(const QDeadlineTimer& deadline)
{
    const auto readTcp = [this](char* into, int maxSize) { return tcpSocket.read(into, maxSize); };
    while (tcpBuffer.size() < histogramBytes) {
        // Data may already sit in the socket's buffer, which a wait would not report.
        if (tcpSocket.bytesAvailable() == 0) {
            const int waitMs = int(qMin<qint64>(histogramChunkTimeoutMs, deadline.remainingTime()));
            if (!waitForTcpData(waitMs)) {
                const bool closedBeforeData =
                    tcpBuffer.isEmpty() && tcpSocket.state() != QAbstractSocket::ConnectedState;
                return closedBeforeData ? Receipt::LinkClosed : Receipt::TimedOut;
            }
        }
        unitStat.TCPTimeout->setOk();
        while (tcpSocket.bytesAvailable() > 0 && tcpBuffer.size() < histogramBytes)
            HistogramAssembly::appendChunk(tcpBuffer, tcpSocket.bytesAvailable(), readTcp);
    }
    return Receipt::Whole;
}

void VexDA::storeHistogram(const QByteArray& bytes, quint32* dest)
{
    hgReady = HistogramAssembly::decodeBins(bytes, dest);
}

void VexDA::tcpDataReady()
{
    const auto readTcp = [this](char* into, int maxSize) { return tcpSocket.read(into, maxSize); };
    while (tcpSocket.bytesAvailable() > 0) {
        const qint64 got = HistogramAssembly::appendChunk(tcpBuffer, tcpSocket.bytesAvailable(), readTcp);
        if (HistogramAssembly::isWhole(tcpBuffer)) {
            storeHistogram(tcpBuffer, histogram.data());
            tcpBuffer.resize(0);
            Q_EMIT hgDataReady();
        }
        if (got <= 0) break;
    }
}

void VexDA::setMcaSet(std::unique_ptr<McaSet> set)
{
    mcaSet = std::move(set);
}

McaSet* VexDA::makeMcaSet(int id)
{
    if (mcaSet && id != 0 && id == mcaSet->id) return mcaSet.get();
    mcaSet = std::make_unique<McaSet>();
    mcaSet->id = id;
    mcaSet->runCount = runCount;
    mcaSet->blocks.resize(channelEnabled.size());
    readTimes();
    for (int c = 0; c < mcaSet->blocks.size(); ++c) {
        McaBlock& block = mcaSet->blocks[c];
        block.writeHead(quint64(c), busy, realTime, liveTimes.value(c), icrs.value(c));
        quint32* bins = block.bins();
        getHistogram(c, bins);
        if (emulateSignal)
            for (int i = 0; i < binCount; ++i)
                bins[i] = quint32(i) * quint32(c + 1);
        block.binsToWire();
    }
    return mcaSet.get();
}

void VexDA::setEmulateSignal(bool f)
{
    emulateSignal = f;
}

void VexDA::startMeasWatch()
{
    if (busy) return;
    busy = true;
    checkIsBusy();
    runCount += 1;
    if (presetTypeValue != 0) {
        lastRealTime = 0;
        sinceLastRealTime.start();
        measTimer.start();
    }
}

void VexDA::measWatch()
{
    // A unit that does not answer has not said that it stopped counting: its cleared real
    // time would end the run with a snapshot of zero times while it goes on measuring.
    if (!readTimes()) return;
    const double d = realTime - lastRealTime;
    // Against the time that really passed, not the interval: a tick held back by a long wait
    // is followed by one soon after, and a unit still counting must not look stopped then.
    const double passed = 0.001 * double(sinceLastRealTime.restart());
    if (0.5 * passed > d && busy) {
        measTimer.stop();
        busy = false;
        makeMcaSet(runId);
        checkIsBusy();
    }
    lastRealTime = realTime;
}

void VexDA::stopMeasWatch()
{
    if (!busy) return;
    measTimer.stop();
    busy = false;
    makeMcaSet(runId);
    checkIsBusy();
}

void VexDA::checkIsBusy()
{
    if (reportedBusy == busy) return;
    reportedBusy = busy;
    unitLog(QString("Changed Busy %1").arg(busy ? 1 : 0));
    Q_EMIT changedIsBusy();
}
