#pragma once

#include "EmulatedUnit.h"
#include "MeasurementModel.h"

#include <QList>
#include <QVector>

class HistogramStream;
class QTcpServer;

// A four-channel DSP unit: measurement registers worked out by a MeasurementModel, and
// histograms sent to every TCP client when a channel number is written to Histgram.
class DspUnit : public EmulatedUnit
{
    Q_OBJECT

public:
    // index: which unit, so that units differ in their draws.
    DspUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config, int index,
            QObject* parent = nullptr);

    bool bind(quint16 udpPort, quint16 tcpPort, QString* error) override;
    quint16 tcpPort() const override { return tcpPort_; }

    QVector<quint32> histogram(int ch);
    void setHistogram(int ch, const QVector<quint32>& bins);
    int tcpClientCount() const { return streams_.size(); }
    void closeTcp();

    // Dead time per event taken, from the peaking-time register (10 ns steps).
    static double deadTimePerEvent(quint16 peakingTime);

protected:
    bool computedWord(quint32 address, qint64 nowNs, quint16* value) override;
    void storeWord(quint32 address, quint16 value, qint64 nowNs) override;
    void afterRequest() override;
    void faultsChanged(const UnitFaults& before) override;

private Q_SLOTS:
    void acceptClients();

private:
    bool listen(QString* error);
    void sendHistogram(int ch);
    bool channelRegister(quint32 address, int* ch, quint32* channel0Address) const;

    QTcpServer* server_;
    quint16 tcpPort_ = 0;
    QList<HistogramStream*> streams_;
    MeasurementModel model_;
    QList<int> requestedHistograms_;
};
