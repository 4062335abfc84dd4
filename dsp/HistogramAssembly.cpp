#include "dsp/HistogramAssembly.h"

#include "dsp/RegisterFrame.h"

namespace HistogramAssembly {

bool isWhole(const QByteArray& held)
{
    return held.size() == Dsp::histogramBytes;
}

bool decodeBins(const QByteArray& held, quint32* dest)
{
    if (!isWhole(held)) return false;
    decodeBigEndianWords(held.constData(), Dsp::binCount, dest);
    return true;
}

} // namespace HistogramAssembly
