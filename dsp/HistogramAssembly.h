#pragma once

#include "dsp/DspConstants.h"

#include <QByteArray>

// A histogram arrives on a unit's data connection as histogramBytes big-endian 32-bit bins, in
// chunks of any size. The bytes are gathered in a buffer that is never filled past one whole
// histogram: what follows it belongs to the next transfer.
namespace HistogramAssembly {

// Reads into `held` what `read(into, maxSize)` gives of at most `available` bytes, never past
// a whole histogram, reading in place so that no chunk is copied twice. Returns what `read`
// gave (<= 0: nothing was added).
template <typename Read> qint64 appendChunk(QByteArray& held, qint64 available, Read read)
{
    const int had = held.size();
    const int want =
        int(qBound<qint64>(0, qMin<qint64>(available, Dsp::histogramBytes - had), Dsp::histogramBytes));
    held.resize(had + want);
    const qint64 got = read(held.data() + had, want);
    held.resize(had + int(qBound<qint64>(0, got, want)));
    return got;
}

bool isWhole(const QByteArray& held);

// The bins in host order into `dest` (binCount of them); false, with `dest` untouched, while
// the histogram is not whole.
bool decodeBins(const QByteArray& held, quint32* dest);

} // namespace HistogramAssembly
