#include "dsp/RegisterFrame.h"

#include <QtEndian>

#include <cstring>

namespace RegisterFrame {

static void buildHead(QByteArray& frame, quint32 head, quint32 address, int length, int payload)
{
    frame.resize(headSize + payload);
    uchar* p = reinterpret_cast<uchar*>(frame.data());
    qToBigEndian<quint32>(head + quint32(length & 0xFF), p);
    qToBigEndian<quint32>(address, p + 4);
}

void buildRead(QByteArray& frame, quint32 address, int length)
{
    buildHead(frame, readHead, address, length, 0);
}

void buildWrite(QByteArray& frame, quint32 address, quint64 value, int length)
{
    length = qBound(0, length, 8);
    buildHead(frame, writeHead, address, length, length);
    uchar wide[8];
    qToBigEndian<quint64>(value, wide);
    memcpy(frame.data() + headSize, wide + 8 - length, size_t(length));
}

void decodeAnswer(const QByteArray& datagram, quint32& header, quint32& address, QByteArray& payload,
                  quint64& value)
{
    const uchar* bytes = reinterpret_cast<const uchar*>(datagram.constData());
    header = datagram.size() >= 4 ? qFromBigEndian<quint32>(bytes) : 0;
    address = datagram.size() >= headSize ? qFromBigEndian<quint32>(bytes + 4) : 0;
    const int payloadSize = qMax(0, datagram.size() - headSize);
    payload.resize(payloadSize);
    if (payloadSize > 0) memcpy(payload.data(), bytes + headSize, size_t(payloadSize));
    value = decodeBigEndian(payloadSize, payload);
}

bool answerFits(const QByteArray& datagram, quint32 address, int expectedSize)
{
    return answerAddress(datagram) == address && (expectedSize == 0 || datagram.size() == expectedSize);
}

} // namespace RegisterFrame

quint32 answerAddress(const QByteArray& datagram)
{
    if (datagram.size() < RegisterFrame::headSize) return 0;
    return qFromBigEndian<quint32>(datagram.constData() + 4);
}

quint64 decodeBigEndian(int n, const QByteArray& bytes)
{
    if (n <= 0 || bytes.size() < n) return 0;
    const int used = qMin(n, 8);
    uchar wide[8] = {};
    memcpy(wide + 8 - used, bytes.constData(), size_t(used));
    return qFromBigEndian<quint64>(wide);
}

void decodeBigEndianWords(const char* bytes, int count, quint32* words)
{
    for (int i = 0; i < count; ++i)
        words[i] = qFromBigEndian<quint32>(bytes + 4 * i);
}
