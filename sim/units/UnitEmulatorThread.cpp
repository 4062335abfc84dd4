#include "UnitEmulatorThread.h"

#include "DspUnit.h"
#include "EmulatedUnit.h"
#include "UnitEmulator.h"

#include <QMetaObject>

UnitEmulatorThread::UnitEmulatorThread(const EmulatorConfig& config) : config_(config), context_(new QObject)
{
    thread_.setObjectName(QStringLiteral("unit-emulator"));
    context_->moveToThread(&thread_);
}

UnitEmulatorThread::~UnitEmulatorThread()
{
    if (thread_.isRunning()) {
        run([this] {
            delete emulator_;
            emulator_ = nullptr;
        });
        thread_.quit();
        thread_.wait();
    }
    delete context_;
}

template <typename F> void UnitEmulatorThread::run(F&& f)
{
    if (!thread_.isRunning()) return;
    if (QThread::currentThread() == &thread_)
        f();
    else
        QMetaObject::invokeMethod(context_, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

bool UnitEmulatorThread::start(QString* error)
{
    if (thread_.isRunning()) {
        if (error) *error = QStringLiteral("already started");
        return false;
    }
    thread_.start();
    bool ok = false;
    QString why;
    run([&] {
        emulator_ = new UnitEmulator(config_);
        ok = emulator_->start(&why);
        udpPort_ = emulator_->udpPort();
        tcpPort_ = emulator_->tcpPort();
    });
    if (!ok && error) *error = why;
    return ok;
}

int UnitEmulatorThread::unitCount() const
{
    return qMax(0, config_.dspUnits) + (config_.hvUnit ? 1 : 0);
}

QHostAddress UnitEmulatorThread::unitAddress(int unit) const
{
    return unit >= 0 && unit < unitCount() ? UnitEmulator::unitAddress(config_, unit) : QHostAddress();
}

quint16 UnitEmulatorThread::reg(int unit, quint32 address)
{
    return quint16(regs(unit, address, 1));
}

quint64 UnitEmulatorThread::regs(int unit, quint32 address, int words)
{
    quint64 value = 0;
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr)
            value = u->readWords(address, qBound(0, words, 4));
    });
    return value;
}

void UnitEmulatorThread::setReg(int unit, quint32 address, quint16 value)
{
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) u->writeWord(address, value);
    });
}

void UnitEmulatorThread::pinReg(int unit, quint32 address, quint16 value)
{
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) u->pin(address, value);
    });
}

void UnitEmulatorThread::unpinReg(int unit, quint32 address)
{
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) u->unpin(address);
    });
}

QVector<quint32> UnitEmulatorThread::histogram(int unit, int ch)
{
    QVector<quint32> bins;
    run([&] {
        DspUnit* u = emulator_ ? emulator_->dspUnit(unit) : nullptr;
        if (u && ch >= 0 && ch < MeasurementModel::channels) bins = u->histogram(ch);
    });
    return bins;
}

void UnitEmulatorThread::setHistogram(int unit, int ch, const QVector<quint32>& bins)
{
    run([&] {
        DspUnit* u = emulator_ ? emulator_->dspUnit(unit) : nullptr;
        if (u && ch >= 0 && ch < MeasurementModel::channels) u->setHistogram(ch, bins);
    });
}

QList<QByteArray> UnitEmulatorThread::requests(int unit)
{
    QList<QByteArray> list;
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) list = u->requests();
    });
    return list;
}

void UnitEmulatorThread::clearRequests(int unit)
{
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) u->clearRequests();
    });
}

quint16 UnitEmulatorThread::lastSenderPort(int unit)
{
    quint16 port = 0;
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) port = u->lastSenderPort();
    });
    return port;
}

int UnitEmulatorThread::tcpClientCount(int unit)
{
    int n = 0;
    run([&] {
        if (DspUnit* u = emulator_ ? emulator_->dspUnit(unit) : nullptr) n = u->tcpClientCount();
    });
    return n;
}

UnitFaults UnitEmulatorThread::faults(int unit)
{
    UnitFaults f;
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) f = u->faults();
    });
    return f;
}

void UnitEmulatorThread::setFaults(int unit, const UnitFaults& faults)
{
    run([&] {
        if (EmulatedUnit* u = emulator_ ? emulator_->unit(unit) : nullptr) u->setFaults(faults);
    });
}

void UnitEmulatorThread::closeTcp(int unit)
{
    run([&] {
        if (DspUnit* u = emulator_ ? emulator_->dspUnit(unit) : nullptr) u->closeTcp();
    });
}
