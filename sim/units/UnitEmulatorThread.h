#pragma once

#include "EmulatorConfig.h"
#include "UnitFaults.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QThread>
#include <QVector>

class UnitEmulator;

// Runs the emulated units on a thread of their own, so that a test can run blocking code
// that talks to them on its main thread. Every call is thread-safe: it is carried out in the
// emulator's thread while the caller waits. Units are numbered as in UnitEmulator: DSP
// units 0..N-1, the HV unit N. A unit number out of range reads as 0 / empty and changes
// nothing.
class UnitEmulatorThread
{
public:
    explicit UnitEmulatorThread(const EmulatorConfig& config = EmulatorConfig());
    ~UnitEmulatorThread(); // stops the units and joins the thread
    UnitEmulatorThread(const UnitEmulatorThread&) = delete;
    UnitEmulatorThread& operator=(const UnitEmulatorThread&) = delete;

    // Returns once every socket is bound, or one failed (error says which).
    bool start(QString* error = nullptr);

    quint16 udpPort() const { return udpPort_; }
    quint16 tcpPort() const { return tcpPort_; }
    int unitCount() const;
    QHostAddress unitAddress(int unit) const;

    // Registers as a request would see them now; regs: consecutive words, the first the
    // most significant, read at one instant (at most 4 words).
    quint16 reg(int unit, quint32 address);
    quint64 regs(int unit, quint32 address, int words);
    // As a one-word write request, side effects included (Start, Clear, Histgram, HV On/Off).
    void setReg(int unit, quint32 address, quint16 value);
    // Every read of the register gives this value until unpinned, whatever the unit would say.
    void pinReg(int unit, quint32 address, quint16 value);
    void unpinReg(int unit, quint32 address);

    // DSP units: a channel's histogram, brought up to date.
    QVector<quint32> histogram(int unit, int ch);
    // Sets known bins (padded or cut to 4096); they stay as set, with no events added, until
    // the next Clear.
    void setHistogram(int unit, int ch, const QVector<quint32>& bins);

    // Every datagram the unit received, raw, in order (even those that got no answer).
    QList<QByteArray> requests(int unit);
    void clearRequests(int unit);
    // The UDP port the unit's last request came from: where its answers go.
    quint16 lastSenderPort(int unit);

    int tcpClientCount(int unit);
    UnitFaults faults(int unit);
    void setFaults(int unit, const UnitFaults& faults);
    // Closes the unit's TCP connections now.
    void closeTcp(int unit);

private:
    template <typename F> void run(F&& f);

    const EmulatorConfig config_;
    QThread thread_;
    QObject* context_; // lives in thread_: queued calls go through it
    UnitEmulator* emulator_ = nullptr;
    quint16 udpPort_ = 0;
    quint16 tcpPort_ = 0;
};
