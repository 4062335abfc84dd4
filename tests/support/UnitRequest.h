#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtEndian>

// A register datagram a unit received, decoded.
struct UnitRequest
{
    bool wellFormed = false; // version byte 0xFF, a read or write command, as long as it says
    bool write = false;
    int id = 0;
    int length = 0;
    quint32 address = 0;
    quint64 value = 0;

    static UnitRequest parse(const QByteArray& datagram);
    // "read b4000010 x2 id6", "write b4000800 x2 id7 = 1170", or "bad <bytes in hex>": every
    // field of the datagram, so a comparison shows what was sent.
    QString text() const;

private:
    QByteArray raw;
};

inline UnitRequest UnitRequest::parse(const QByteArray& d)
{
    UnitRequest r;
    r.raw = d;
    if (d.size() < 8) return r;
    const auto* b = reinterpret_cast<const uchar*>(d.constData());
    r.write = b[1] == 0x80;
    r.id = b[2];
    r.length = b[3];
    r.address = qFromBigEndian<quint32>(b + 4);
    for (int i = 8; r.write && i < d.size(); ++i)
        r.value = r.value << 8 | b[i];
    r.wellFormed = b[0] == 0xFF && (b[1] == 0x80 || b[1] == 0xC0) && d.size() == 8 + (r.write ? r.length : 0);
    return r;
}

inline QString UnitRequest::text() const
{
    if (!wellFormed) return "bad " + QString::fromLatin1(raw.toHex());
    const QString head = QString("%1 %2 x%3 id%4")
                             .arg(write ? "write" : "read")
                             .arg(address, 8, 16, QChar('0'))
                             .arg(length)
                             .arg(id);
    return write ? head + " = " + QString::number(value, 16) : head;
}

inline QStringList requestTexts(const QList<QByteArray>& datagrams)
{
    QStringList texts;
    for (const QByteArray& d : datagrams)
        texts << UnitRequest::parse(d).text();
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
