#pragma once

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtEndian>

// A bare-socket client of one emulated unit, as the tests of the emulator need it: builds
// register requests by hand and waits a bounded time for answers and stream bytes.
class RegisterClient
{
public:
    static constexpr int answerTimeoutMs = 1000;
    static constexpr int silenceMs = 300; // how long "no answer" is waited for

    RegisterClient(const QHostAddress& unit, quint16 udpPort) : unit_(unit), port_(udpPort)
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    }

    static QByteArray readRequest(quint32 address, int length, char kind = char(0xC0))
    {
        QByteArray d(8, 0);
        d[0] = char(0xFF);
        d[1] = kind;
        d[2] = 0x06;
        d[3] = char(length);
        qToBigEndian(address, d.data() + 4);
        return d;
    }
    // value as `length` bytes, most significant first
    static QByteArray writeRequest(quint32 address, quint64 value, int length)
    {
        uchar be[8];
        qToBigEndian(value, be);
        return readRequest(address, length, char(0x80)) +
               QByteArray(reinterpret_cast<char*>(be) + 8 - length, length);
    }

    void send(const QByteArray& datagram) { socket.writeDatagram(datagram, unit_, port_); }
    // The next datagram within timeoutMs, or an empty array.
    QByteArray receive(int timeoutMs = answerTimeoutMs)
    {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(timeoutMs)) return QByteArray();
        QByteArray d(int(socket.pendingDatagramSize()), 0);
        socket.readDatagram(d.data(), d.size());
        return d;
    }
    QByteArray exchange(const QByteArray& request)
    {
        send(request);
        return receive();
    }

    // The answer's payload read as one big-endian number; 0 without an answer.
    quint64 read(quint32 address, int length)
    {
        const QByteArray answer = exchange(readRequest(address, length));
        quint64 value = 0;
        for (int i = 8; i < answer.size(); ++i)
            value = value << 8 | quint8(answer[i]);
        return value;
    }
    bool write(quint32 address, quint64 value, int length)
    {
        return !exchange(writeRequest(address, value, length)).isEmpty();
    }

    // Reads until `bytes` arrived or timeoutMs passed; returns what came.
    static QByteArray readStream(QTcpSocket& socket, int bytes, int timeoutMs = answerTimeoutMs)
    {
        QByteArray got;
        const QDeadlineTimer deadline(timeoutMs);
        while (got.size() < bytes) {
            got += socket.read(bytes - got.size());
            if (got.size() >= bytes || deadline.hasExpired()) break;
            socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
        return got;
    }

    QUdpSocket socket;

private:
    QHostAddress unit_;
    quint16 port_;
};
