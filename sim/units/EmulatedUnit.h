#pragma once

#include "EmulatorConfig.h"
#include "UnitFaults.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QRandomGenerator>

class QUdpSocket;

// One unit on its own address: a file of 16-bit registers answered over the register
// protocol, with the fault switches that apply to it. Subclasses give some registers a
// meaning (computed reads, side effects of writes). Lives in one thread; nothing here locks.
class EmulatedUnit : public QObject
{
    Q_OBJECT

public:
    EmulatedUnit(const QString& name, const QHostAddress& address, const EmulatorConfig& config,
                 QObject* parent = nullptr);

    QString name() const { return name_; }
    QHostAddress address() const { return address_; }
    quint16 udpPort() const { return udpPort_; }
    virtual quint16 tcpPort() const { return 0; }

    // Port 0: any free port. The unit without TCP ignores tcpPort.
    virtual bool bind(quint16 udpPort, quint16 tcpPort, QString* error);

    // As a request would see them, at this instant.
    quint16 readWord(quint32 address);
    quint64 readWords(quint32 address, int words); // most significant word first
    // As a one-word write request, side effects included.
    void writeWord(quint32 address, quint16 value);
    // Makes every read of the register give this value, whatever the unit would say.
    void pin(quint32 address, quint16 value) { pins_.insert(address, value); }
    void unpin(quint32 address) { pins_.remove(address); }

    QList<QByteArray> requests() const { return requests_; }
    void clearRequests() { requests_.clear(); }
    // The port the last request came from (0 before any).
    quint16 lastSenderPort() const { return lastSenderPort_; }

    UnitFaults faults() const { return faults_; }
    void setFaults(const UnitFaults& faults);

protected:
    qint64 nowNs() const { return clock_.nsecsElapsed(); }

    // A register whose value the unit works out; false for a plain stored one.
    virtual bool computedWord(quint32 address, qint64 nowNs, quint16* value);
    // Stores a written word; subclasses add side effects or ignore read-only registers.
    virtual void storeWord(quint32 address, quint16 value, qint64 nowNs);
    // Runs once a request has been answered (or its answer dropped).
    virtual void afterRequest() {}
    virtual void faultsChanged(const UnitFaults& before) { Q_UNUSED(before) }

    QHash<quint32, quint16> regs_;
    UnitFaults faults_;
    const bool verbose_;

private Q_SLOTS:
    void readDatagrams();

private:
    void handle(const QByteArray& datagram, const QHostAddress& from, quint16 port);
    quint16 wordAt(quint32 address, qint64 nowNs);
    void sendAnswer(const QByteArray& answer, const QHostAddress& to, quint16 port);

    const QString name_;
    const QHostAddress address_;
    QUdpSocket* udp_;
    quint16 udpPort_ = 0;
    QHash<quint32, quint16> pins_;
    QList<QByteArray> requests_;
    const int requestLogLimit_;
    quint16 lastSenderPort_ = 0;
    QElapsedTimer clock_;
    QRandomGenerator lossDraws_;
    QByteArray answer_; // reused, so that an answer does not allocate
};
