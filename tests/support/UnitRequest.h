#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVector>
#include <QtEndian>

// A register datagram a unit received, decoded.
struct UnitRequest
{
    bool write = false;
    quint32 address = 0;
    int length = 0;
    quint64 value = 0;

    static UnitRequest parse(const QByteArray& d)
    {
        UnitRequest r;
        const auto* b = reinterpret_cast<const uchar*>(d.constData());
        if (d.size() >= 8) r = {b[1] == 0x80, qFromBigEndian<quint32>(b + 4), b[3], 0};
        for (int i = 8; r.write && i < d.size(); ++i)
            r.value = r.value << 8 | b[i];
        return r;
    }
};

// "read b4000010 x2 id6", "write b4000800 x2 id7 = 1170": every field of each datagram, so
// that a comparison shows what was sent; "bad <bytes in hex>" for one that is no request.
inline QStringList requestTexts(const QList<QByteArray>& datagrams)
{
    QStringList texts;
    for (const QByteArray& d : datagrams) {
        const UnitRequest r = UnitRequest::parse(d);
        if (d.size() < 8 || quint8(d[0]) != 0xFF || (!r.write && quint8(d[1]) != 0xC0) ||
            d.size() != 8 + (r.write ? r.length : 0)) {
            texts << "bad " + QString::fromLatin1(d.toHex());
            continue;
        }
        const QString head = QString("%1 %2 x%3 id%4")
                                 .arg(r.write ? "write" : "read")
                                 .arg(r.address, 8, 16, QChar('0'))
                                 .arg(r.length)
                                 .arg(quint8(d[2]));
        texts << (r.write ? head + " = " + QString::number(r.value, 16) : head);
    }
    return texts;
}

// The values written to one address, in order.
inline QVector<quint64> writesTo(const QList<QByteArray>& datagrams, quint32 address)
{
    QVector<quint64> values;
    for (const QByteArray& d : datagrams)
        if (const UnitRequest r = UnitRequest::parse(d); r.write && r.address == address) values << r.value;
    return values;
}

// The addresses read, in order.
inline QVector<quint32> readsOf(const QList<QByteArray>& datagrams)
{
    QVector<quint32> addresses;
    for (const QByteArray& d : datagrams)
        if (const UnitRequest r = UnitRequest::parse(d); !r.write) addresses << r.address;
    return addresses;
}
