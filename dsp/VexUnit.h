#pragma once

#include "dsp/UnitStat.h"

#include <QColor>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

// The network end of one hardware unit: register datagrams over UDP (each waited for up to
// 500 ms on the calling thread) and the histogram data connection over TCP, with the
// unit's status panel.
class QDeadlineTimer;

class VexUnit : public QObject
{
    Q_OBJECT
public:
    static constexpr int answerTimeoutMs = 500;
    static constexpr int maxDatagramSize = 65536;
    static constexpr int maxStaleDatagrams = 1024; // read and dropped before a request at most
    static constexpr int tcpReopenIntervalMs = 1000;

    VexUnit(const QString& name, const QString& ipAddress, QObject* parent = nullptr);
    ~VexUnit() override;

    // Ports of every unit's register protocol and data connection (4660 and 24 on real units).
    static void setPorts(quint16 udp, quint16 tcp);
    static quint16 udpPort() { return registerPort; }
    static quint16 tcpPort() { return dataPort; }

    // While the program starts, a unit that does not answer its first waited access is not
    // waited for again (its requests still go out): each silent unit would otherwise hold
    // the start-up for seconds, and the log-in with it. Outside it every access waits.
    static void setStartUpPhase(bool on);
    bool isSilentAtStartUp() const { return silentAtStartUp; }

    void setIpAddress(const QString& ip);
    bool readRegister(quint32 address, bool waitAnswer, int length);
    // Reads `length` bytes at `address`, waiting for the answer, and returns them as one
    // big-endian number: 0 when the unit did not answer (`answered` tells which).
    quint64 readValue(quint32 address, int length = 2, bool* answered = nullptr);
    bool writeRegister(quint32 address, quint64 value, bool waitAnswer, int length);
    bool waitAnswer(int timeoutMs, quint32 address);
    void parseAnswer(const QByteArray& datagram);
    void openTcp();
    // Opens the data connection now when it is down and waits for it until the deadline;
    // true when it is up. After an attempt that failed, only the re-open timer tries again,
    // so a unit that cannot be reached costs one wait, not one per request.
    bool connectTcpNow(const QDeadlineTimer& deadline);
    // Drops the data connection; it is opened again shortly, so that bytes of a transfer
    // that went wrong cannot be taken for the next one.
    void resyncTcp();
    void discardTcpInput();

    UnitStat unitStat;
    QString unitName;
    QString ipAddress;
    QHostAddress hostAddress;
    QTcpSocket tcpSocket;
    QUdpSocket udpSocket;
    bool tcpIsConnected = false;
    QByteArray lastAnswer;
    quint32 lastHeader = 0;
    quint32 lastAddress = 0;
    quint64 lastValue = 0;
    QByteArray lastPayload;

Q_SIGNALS:
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));
    void lastUdpDataReady();
    void tcpDataReadySignal();

private Q_SLOTS:
    void udpDataReady();
    void tcpConnected();
    void tcpDisconnected();
    void reopenTcp();

protected:
    void unitLog(const QString& msg);
    // Waits up to timeoutMs for data on the data connection, as waitAnswer does for
    // datagrams: without letting the handlers of unsolicited data take it.
    bool waitForTcpData(int timeoutMs);

private:
    bool sendRequest(quint32 address, bool waitAnswer, int length);
    bool answerFits(const QByteArray& datagram, quint32 address) const;
    void dropStaleDatagrams();
    void readDatagramInto(QByteArray& datagram);
    void takeAnswer(const QByteArray& datagram);
    void decodeLastAnswer();

    static quint16 registerPort;
    static quint16 dataPort;
    static bool startUpPhase;

    int expectedAnswerSize = 0;   // of the waited request: head and its register bytes
    int startUpAccesses = 0;      // waited accesses tried while the program starts
    bool silentAtStartUp = false; // the first of them was not answered
    bool tcpWanted = false;       // the data connection is to be kept open
    bool tcpOpenFailed = false;   // connectTcpNow failed; cleared by the next re-open
    QTimer tcpReopenTimer;

    QByteArray request;         // reused for every datagram sent
    QByteArray received;        // reused for every datagram taken while waiting
    QHostAddress senderAddress; // of the datagram in `received`
};
