#pragma once

#include "dsp/McaBlock.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

// A data-link transfer as its consumer reads it: blocks of 16432 bytes one after the other,
// their number not sent. The layout is decoded here from the bytes alone (see McaBlock.h).
namespace McaTransfer {

constexpr int blockSize = McaBlock::totalSize;
constexpr int headSize = McaBlock::headSize;
constexpr int binCount = McaBlock::binCount;

struct Block
{
    quint32 channel = 0;
    quint32 tag = 0; // offset 4: block 0 the run counter, block 1 the measurement number
    quint64 busy = 0;
    quint64 binCount = 0;
    double realTime = 0;
    double liveTime = 0;
    double icr = 0;
    QVector<quint32> bins;
};

struct Transfer
{
    QVector<Block> blocks;
    QStringList faults; // one text per block that fails its check, and one for a short tail
};

// Exactly blockSize bytes.
Block decodeBlock(const char* data);
// What is wrong with a decoded block; empty when nothing.
QString blockFault(const Block& block);
Transfer readTransfer(const QByteArray& bytes);

} // namespace McaTransfer
