#pragma once

#include "dsp/DspConstants.h"
#include "dsp/McaSet.h"
#include "dsp/VexUnit.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

#include <memory>

// One four-channel DSP unit: presets, clearing, times, histogram transfers over TCP, the
// watch that notices the end of a preset measurement, and per-run snapshots.
class VexDA : public VexUnit
{
    Q_OBJECT
public:
    static constexpr int binCount = Dsp::binCount;
    static constexpr int histogramBytes = Dsp::histogramBytes;
    static constexpr int histogramChunkTimeoutMs = 500;
    // A whole histogram takes milliseconds even on a slow link; a unit that trickles it
    // must not hold every request for ever.
    static constexpr int histogramTransferTimeoutMs = 2000;

    VexDA(const QString& name, const QString& ipAddress, QObject* parent = nullptr);

    // Seconds as 10 ns ticks, held within what the 48-bit time registers can take.
    static quint64 ticksFromSeconds(double seconds);
    ~VexDA() override;

    void setDataTransDelay(int ms);
    void setMeasTimeRaw(quint64 ticks);
    quint64 measTimeRaw();
    void setMeasTimeToMax();
    void applyPreset();
    void setPresetType(int t);
    int presetType() const { return presetTypeValue; }
    void setPresetValue(double s);
    double presetValue() const { return presetValueSeconds; }
    void clearHistogram();
    // False when the unit did not answer its real time (all times then read 0).
    bool readTimes();
    // Transfers one channel's histogram into dest (or `histogram`); false, with dest left as
    // it was, when it did not arrive whole in time. A link that is down is opened for it, and
    // one the unit closed is opened again, within the transfer's deadline.
    bool getHistogram(int ch, quint32* dest);
    McaSet* makeMcaSet(int id);
    McaSet* lastMcaSet() const { return mcaSet.get(); }
    void setMcaSet(std::unique_ptr<McaSet> set);

    bool emulateSignal = false;
    QByteArray channelEnabled;
    QVector<int> roiStart;
    QVector<int> roiEnd;
    QByteArray tcpBuffer;
    QVector<quint32> histogram;
    bool hgReady = false;
    bool reportedBusy = false;
    bool busy = false;
    int watchIntervalMs = 200;
    double watchIntervalSec = 0.2;
    QTimer measTimer;
    double realTime = 0;
    double lastRealTime = 0;
    QElapsedTimer sinceLastRealTime; // of the watch's previous read
    QVector<double> liveTimes;
    QVector<double> deadTimes;
    QVector<double> icrs;
    int runId = 0;
    int runCount = 0;

Q_SIGNALS:
    void hgDataReady();
    void changedIsBusy();

public Q_SLOTS:
    void setEmulateSignal(bool f);
    void startMeasWatch();
    void stopMeasWatch();
    void checkIsBusy();

private Q_SLOTS:
    void tcpDataReady();
    void measWatch();

private:
    enum class Receipt { Whole, NoLink, LinkClosed, TimedOut };
    Receipt fetchHistogram(int ch, const QDeadlineTimer& deadline);
    Receipt receiveHistogram(const QDeadlineTimer& deadline);
    void storeHistogram(const QByteArray& bytes, quint32* dest);

    double presetValueSeconds = 1.0;
    int presetTypeValue = 0;
    std::unique_ptr<McaSet> mcaSet;
};
