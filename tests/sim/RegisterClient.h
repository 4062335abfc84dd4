#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>
#include <QUdpSocket>

// A bare-socket client of one emulated unit, as the tests of the emulator need it: builds
// register requests by hand and waits a bounded time for answers and stream bytes.
class RegisterClient
{
public:
    static constexpr int answerTimeoutMs = 1000;
    static constexpr int silenceMs = 300; // how long "no answer" is waited for

    RegisterClient(const QHostAddress& unit, quint16 udpPort);

    static QByteArray readRequest(quint32 address, int length, quint8 id = 0x06);
    static QByteArray writeRequest(quint32 address, const QByteArray& bytes, quint8 id = 0x07);
    // value as `length` bytes, most significant first
    static QByteArray bytesOf(quint64 value, int length);

    void send(const QByteArray& datagram);
    // The next datagram within timeoutMs, or an empty array.
    QByteArray receive(int timeoutMs = answerTimeoutMs);
    QByteArray exchange(const QByteArray& request)
    {
        send(request);
        return receive();
    }

    // The answer's payload read as one big-endian number; 0 without an answer.
    quint64 read(quint32 address, int length);
    bool write(quint32 address, quint64 value, int length);

    // Reads until `bytes` arrived or timeoutMs passed; returns what came.
    static QByteArray readStream(QTcpSocket& socket, int bytes, int timeoutMs = answerTimeoutMs);

    QUdpSocket socket;

private:
    QHostAddress unit_;
    quint16 port_;
};
