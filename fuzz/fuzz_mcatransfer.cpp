// The data-link consumer's reader: a transfer split into 16432-byte blocks, each decoded,
// checked; and blocks as the program writes them, read back.
#include "FuzzSupport.h"

#include "consumer/McaTransfer.h"
#include "dsp/McaBlock.h"

#include <cmath>
#include <cstring>

namespace {

double realAt(const QByteArray& bytes, int offset)
{
    double value = 0;
    if (bytes.size() >= offset + 8) memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

// A block written with the head fields and bins taken from the input reads back the same.
void checkWrittenBlock(const QByteArray& bytes)
{
    McaBlock block;
    const quint32 channel = bytes.isEmpty() ? 0 : quint8(bytes.at(0)) % 8;
    const bool busy = bytes.size() > 1 && (bytes.at(1) & 1);
    const double realTime = realAt(bytes, 8), liveTime = realAt(bytes, 16), icr = realAt(bytes, 24);
    block.writeHead(channel, busy, realTime, liveTime, icr);
    quint32* bins = block.bins();
    for (int i = 0; i < McaBlock::binCount; ++i)
        bins[i] = quint32(i) * 2654435761u ^ quint32(bytes.size());
    block.binsToWire();

    const McaTransfer::Transfer t = McaTransfer::readTransfer(block.bytes());
    FUZZ_CHECK(t.blocks.size() == 1);
    const McaTransfer::Block& b = t.blocks.first();
    FUZZ_CHECK(b.channel == channel && b.busy == quint64(busy) && b.binCount == 4096);
    FUZZ_CHECK(memcmp(&b.realTime, &realTime, 8) == 0 && memcmp(&b.liveTime, &liveTime, 8) == 0);
    FUZZ_CHECK(memcmp(&b.icr, &icr, 8) == 0);
    for (int i = 0; i < McaBlock::binCount; ++i)
        FUZZ_CHECK(b.bins.at(i) == (quint32(i) * 2654435761u ^ quint32(bytes.size())));
    const bool sound =
        channel <= 3 && std::isfinite(realTime) && realTime >= 0 && std::isfinite(liveTime) && liveTime >= 0;
    FUZZ_CHECK(t.faults.isEmpty() == sound);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const McaTransfer::Transfer t = McaTransfer::readTransfer(bytes);
    FUZZ_CHECK(t.blocks.size() == bytes.size() / McaTransfer::blockSize);
    int faultyBlocks = 0;
    for (const McaTransfer::Block& b : t.blocks) {
        FUZZ_CHECK(b.bins.size() == McaTransfer::binCount);
        faultyBlocks += McaTransfer::blockFault(b).isEmpty() ? 0 : 1;
    }
    const bool tail = bytes.size() % McaTransfer::blockSize != 0;
    FUZZ_CHECK(t.faults.size() == faultyBlocks + (tail ? 1 : 0) + (bytes.isEmpty() ? 1 : 0));

    checkWrittenBlock(bytes);
    return 0;
}
