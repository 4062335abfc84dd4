// A histogram gathered from a unit's data connection: the stream arrives in chunks of any
// size, and a read may give fewer bytes than were announced, or fail.
#include "FuzzSupport.h"

#include "dsp/HistogramAssembly.h"

#include <QVector>

#include <cstring>

namespace {

// The bins of the stream's bytes at `from`, big-endian, byte by byte.
bool sameBins(const QVector<quint32>& bins, const QByteArray& stream, int from)
{
    for (int i = 0; i < Dsp::binCount; ++i) {
        const auto* b = reinterpret_cast<const uchar*>(stream.constData() + from + 4 * i);
        if (bins.at(i) != (quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3]))
            return false;
    }
    return true;
}

} // namespace

// Input: a count n, then n schedule bytes (each: announced chunk size and how the read
// goes), then the stream. The schedule repeats until the stream is used up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input input(data, size);
    QVector<quint8> schedule;
    for (int n = int(input.take(1)) % 16 + 1; n > 0 && !input.atEnd(); --n)
        schedule << quint8(input.take(1));
    const QByteArray stream = input.rest();

    QByteArray held;
    QVector<quint32> bins(Dsp::binCount, 0);
    int read = 0;      // bytes of the stream handed out
    int collected = 0; // bytes of the stream in whole histograms
    for (int step = 0; read < stream.size(); ++step) {
        const quint8 s = schedule.at(step % schedule.size());
        // Low 4 bits: 2^k bytes announced; high 2 bits: the read gives all, half, nothing, or fails.
        const qint64 available = qMin<qint64>(qint64(1) << (s & 0x0F), stream.size() - read);
        const int mode = s >> 6;
        const auto readStream = [&](char* into, int maxSize) -> qint64 {
            FUZZ_CHECK(maxSize >= 0 && maxSize <= available);
            if (mode == 3) return -1;
            const int n = mode == 0 ? maxSize : mode == 1 ? maxSize / 2 : 0;
            memcpy(into, stream.constData() + read, size_t(n));
            read += n;
            return n;
        };
        const int before = held.size();
        const qint64 got = HistogramAssembly::appendChunk(held, available, readStream);
        FUZZ_CHECK(held.size() == before + qMax<qint64>(got, 0));
        FUZZ_CHECK(held.size() <= Dsp::histogramBytes);
        if (HistogramAssembly::isWhole(held)) {
            FUZZ_CHECK(HistogramAssembly::decodeBins(held, bins.data()));
            FUZZ_CHECK(sameBins(bins, stream, collected));
            collected += Dsp::histogramBytes;
            held.resize(0);
        } else {
            FUZZ_CHECK(!HistogramAssembly::decodeBins(held, bins.data()));
        }
        if (step > 4 * stream.size() + 64) break; // a schedule of failing reads only
    }
    FUZZ_CHECK(collected + held.size() == read);
    return 0;
}
