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
