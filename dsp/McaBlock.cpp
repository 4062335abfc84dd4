#include "dsp/McaBlock.h"

#include <QtEndian>

#include <cstring>

McaBlock::McaBlock() : buffer(totalSize, '\0') {}

static void putReal(char* at, double value)
{
    quint64 raw;
    memcpy(&raw, &value, sizeof raw);
    qToLittleEndian<quint64>(raw, at);
}

void McaBlock::writeHead(quint64 channel, bool busy, double realTime, double liveTime, double icr)
{
    char* head = buffer.data();
    qToLittleEndian<quint64>(channel, head);
    qToLittleEndian<quint64>(busy ? 1 : 0, head + 8);
    qToLittleEndian<quint64>(binCount, head + 16);
    putReal(head + 24, realTime);
    putReal(head + 32, liveTime);
    putReal(head + 40, icr);
}

void McaBlock::setWord(int offset, quint32 value)
{
    qToLittleEndian<quint32>(value, buffer.data() + offset);
}

quint32 McaBlock::word(int offset) const
{
    return qFromLittleEndian<quint32>(buffer.constData() + offset);
}

quint64 McaBlock::quad(int offset) const
{
    return qFromLittleEndian<quint64>(buffer.constData() + offset);
}

double McaBlock::real(int offset) const
{
    const quint64 raw = quad(offset);
    double value;
    memcpy(&value, &raw, sizeof value);
    return value;
}

quint32* McaBlock::bins()
{
    return reinterpret_cast<quint32*>(buffer.data() + headSize);
}

void McaBlock::binsToWire()
{
    qToLittleEndian<quint32>(bins(), binCount, bins());
}

quint32 McaBlock::bin(int i) const
{
    return word(headSize + 4 * i);
}
