#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtEndian>

// One emulated unit driven through bare sockets: the reference the program is compared with.
struct BareUnit
{
    static constexpr quint32 mode = 0xB4000010, histgram = 0xB400004A;
    static constexpr int waitMs = 5000;
    static constexpr int histogramBytes = 16384;

    QUdpSocket udp;
    QTcpSocket tcp;
    QHostAddress address;
    quint16 port = 0;
    QByteArray buffer = QByteArray(65536, '\0');

    static QByteArray request(quint32 head, quint32 address, const QByteArray& value = QByteArray())
    {
        QByteArray d(8, '\0');
        qToBigEndian<quint32>(head, d.data());
        qToBigEndian<quint32>(address, d.data() + 4);
        return d + value;
    }

    void exchange(const QByteArray& datagram)
    {
        udp.writeDatagram(datagram, address, port);
        if (!udp.hasPendingDatagrams()) udp.waitForReadyRead(waitMs);
        udp.readDatagram(buffer.data(), buffer.size());
    }

    void read() { exchange(request(0xFFC00602, mode)); }

    void fetchHistogram(int ch)
    {
        exchange(request(0xFF800702, histgram, QByteArray(1, '\0') + char(ch)));
        qint64 held = 0;
        while (held < histogramBytes) {
            if (tcp.bytesAvailable() == 0 && !tcp.waitForReadyRead(waitMs))
                qFatal("bare histogram timed out");
            held += tcp.read(buffer.data() + held, histogramBytes - held);
        }
    }
};
