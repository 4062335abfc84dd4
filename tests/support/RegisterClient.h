#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtEndian>

// A bare-socket client of one emulated unit: register requests built by hand, and bounded
// waits for answers and stream bytes.
class RegisterClient
{
public:
    static constexpr int answerTimeoutMs = 1000;
    static constexpr int silenceMs = 300; // how long "no answer" is waited for

    RegisterClient(const QHostAddress& unit, quint16 udpPort) : unit(unit), port(udpPort)
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    }

    // A read request, or a write request of `value` as `length` bytes, most significant first.
    static QByteArray request(quint32 address, int length, bool write = false, quint64 value = 0)
    {
        uchar d[16] = {0xFF, uchar(write ? 0x80 : 0xC0), 0x06, uchar(length)};
        qToBigEndian(address, d + 4);
        qToBigEndian(value, d + 8);
        QByteArray r(reinterpret_cast<char*>(d), 8);
        return write ? r + QByteArray(reinterpret_cast<char*>(d) + 16 - length, length) : r;
    }
    // A unit's answer to a read request: the head with the reply flag, then the value.
    static QByteArray answer(quint32 address, int length, quint64 value)
    {
        QByteArray a = request(address, length, true, value);
        a[1] = char(0xC8);
        return a;
    }

    // The next datagram within timeoutMs, or an empty array.
    QByteArray receive(int timeoutMs = answerTimeoutMs)
    {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(timeoutMs)) return QByteArray();
        QByteArray d(int(socket.pendingDatagramSize()), 0);
        socket.readDatagram(d.data(), d.size());
        return d;
    }
    void send(const QByteArray& datagram) { socket.writeDatagram(datagram, unit, port); }
    QByteArray exchange(const QByteArray& datagram)
    {
        send(datagram);
        return receive();
    }
    // The answer's payload read as one big-endian number; 0 without an answer.
    quint64 read(quint32 address, int length)
    {
        const QByteArray answer = exchange(request(address, length));
        quint64 value = 0;
        for (int i = 8; i < answer.size(); ++i)
            value = value << 8 | quint8(answer[i]);
        return value;
    }
    bool write(quint32 address, quint64 value, int length)
    {
        return !exchange(request(address, length, true, value)).isEmpty();
    }

    // Reads until `bytes` arrived or timeoutMs passed; returns what came.
    static QByteArray readStream(QTcpSocket& socket, int bytes, int timeoutMs = answerTimeoutMs)
    {
        QByteArray got;
        for (const QDeadlineTimer deadline(timeoutMs); got.size() < bytes && !deadline.hasExpired();)
            if (!socket.bytesAvailable())
                socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            else
                got += socket.read(bytes - got.size());
        return got;
    }

    QUdpSocket socket;

private:
    QHostAddress unit;
    quint16 port;
};
