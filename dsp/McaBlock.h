#pragma once

#include "dsp/DspConstants.h"

#include <QByteArray>

// One channel's snapshot as one contiguous buffer, sent byte for byte on the data link.
// All numbers little-endian, doubles IEEE 754:
//
//   offset  size   content
//   0       4      channel index within the unit (written as a 64-bit value with the next word)
//   4       4      0 when made; the data link writes its own word here before sending
//   8       8      busy flag when filled, 0 or 1
//   16      8      number of bins, 4096
//   24      8      real time of the unit, s
//   32      8      live time of the channel, s
//   40      8      input-count-rate register value of the channel
//   48      16384  4096 bins, unsigned 32-bit
class McaBlock
{
public:
    static constexpr int headSize = 48;
    static constexpr int binCount = Dsp::binCount;
    static constexpr int totalSize = headSize + binCount * 4;

    McaBlock(); // zero-filled, so an unfilled block never carries stale memory

    void writeHead(quint64 channel, bool busy, double realTime, double liveTime, double icr);
    void setWord(int offset, quint32 value);
    quint32 word(int offset) const;
    quint64 quad(int offset) const;
    double real(int offset) const;

    // The bins in host byte order while they are filled; call binsToWire() afterwards.
    quint32* bins();
    void binsToWire();
    quint32 bin(int i) const;

    const QByteArray& bytes() const { return buffer; }

private:
    QByteArray buffer;
};
