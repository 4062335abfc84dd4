#include "consumer/McaTransfer.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace McaTransfer {

static double realAt(const char* at)
{
    const quint64 raw = qFromLittleEndian<quint64>(at);
    double value;
    memcpy(&value, &raw, sizeof value);
    return value;
}

Block decodeBlock(const char* data)
{
    Block b;
    b.channel = qFromLittleEndian<quint32>(data);
    b.tag = qFromLittleEndian<quint32>(data + 4);
    b.busy = qFromLittleEndian<quint64>(data + 8);
    b.binCount = qFromLittleEndian<quint64>(data + 16);
    b.realTime = realAt(data + 24);
    b.liveTime = realAt(data + 32);
    b.icr = realAt(data + 40);
    b.bins.resize(binCount);
    qFromLittleEndian<quint32>(data + headSize, binCount, b.bins.data());
    return b;
}

static bool isTime(double t)
{
    return std::isfinite(t) && t >= 0;
}

QString blockFault(const Block& block)
{
    QStringList why;
    if (block.binCount != quint64(binCount)) why << QString("bin count %1, not 4096").arg(block.binCount);
    if (block.channel >= quint32(Dsp::channelsPerUnit))
        why << QString("channel %1, not 0-3").arg(block.channel);
    if (!isTime(block.realTime)) why << QString("real time %1").arg(block.realTime);
    if (!isTime(block.liveTime)) why << QString("live time %1").arg(block.liveTime);
    return why.join("; ");
}

Transfer readTransfer(const QByteArray& bytes)
{
    Transfer t;
    const int whole = bytes.size() / blockSize;
    t.blocks.reserve(whole);
    for (int k = 0; k < whole; ++k) {
        t.blocks << decodeBlock(bytes.constData() + k * blockSize);
        const QString fault = blockFault(t.blocks.last());
        if (!fault.isEmpty()) t.faults << QString("block %1: %2").arg(k).arg(fault);
    }
    if (bytes.size() % blockSize != 0)
        t.faults
            << QString("block %1: %2 bytes, not %3").arg(whole).arg(bytes.size() % blockSize).arg(blockSize);
    if (bytes.isEmpty()) t.faults << "no block";
    return t;
}

} // namespace McaTransfer
