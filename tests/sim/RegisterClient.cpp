#include "RegisterClient.h"

#include <QDeadlineTimer>
#include <QtEndian>

RegisterClient::RegisterClient(const QHostAddress& unit, quint16 udpPort) : unit_(unit), port_(udpPort)
{
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
}

QByteArray RegisterClient::bytesOf(quint64 value, int length)
{
    uchar be[8];
    qToBigEndian(value, be);
    return QByteArray(reinterpret_cast<const char*>(be) + 8 - length, length);
}

QByteArray RegisterClient::readRequest(quint32 address, int length, quint8 id)
{
    QByteArray d(8, 0);
    d[0] = char(0xFF);
    d[1] = char(0xC0);
    d[2] = char(id);
    d[3] = char(length);
    qToBigEndian(address, d.data() + 4);
    return d;
}

QByteArray RegisterClient::writeRequest(quint32 address, const QByteArray& bytes, quint8 id)
{
    QByteArray d = readRequest(address, bytes.size(), id);
    d[1] = char(0x80);
    return d + bytes;
}

void RegisterClient::send(const QByteArray& datagram)
{
    socket.writeDatagram(datagram, unit_, port_);
}

QByteArray RegisterClient::receive(int timeoutMs)
{
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(timeoutMs)) return QByteArray();
    QByteArray d(int(socket.pendingDatagramSize()), 0);
    socket.readDatagram(d.data(), d.size());
    return d;
}

quint64 RegisterClient::read(quint32 address, int length)
{
    const QByteArray answer = exchange(readRequest(address, length));
    quint64 value = 0;
    for (int i = 8; i < answer.size(); ++i)
        value = value << 8 | quint8(answer[i]);
    return value;
}

bool RegisterClient::write(quint32 address, quint64 value, int length)
{
    return !exchange(writeRequest(address, bytesOf(value, length))).isEmpty();
}

QByteArray RegisterClient::readStream(QTcpSocket& socket, int bytes, int timeoutMs)
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
