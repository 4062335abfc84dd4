#include "consumer/SpectrumRun.h"

#include "dsp/DspConstants.h"
#include "dsp/VexdaLine.h"
#include "requests/RequestText.h"

quint64 SpectrumElement::totalCounts() const
{
    quint64 total = 0;
    for (const quint32 c : counts)
        total += c;
    return total;
}

SpectrumRun spectrumRunFromBlocks(const QVector<McaTransfer::Block>& blocks, const QStringList& vexdaRests)
{
    QVector<VexdaLine> units;
    QVector<QPair<int, int>> enabled; // unit, channel
    for (const QString& rest : vexdaRests) {
        units << VexdaLine::parse(rest, Dsp::channelsPerUnit);
        for (int c = 0; c < units.last().enabled.size(); ++c)
            if (units.last().enabled.at(c)) enabled.append({units.size() - 1, c});
    }
    // A unit that never ended a measurement sends zeros, channel 0 included.
    bool named = enabled.size() == blocks.size();
    for (int k = 0; named && k < blocks.size(); ++k)
        named = blocks.at(k).binCount == 0 || blocks.at(k).channel == quint32(enabled.at(k).second);

    SpectrumRun run;
    if (!blocks.isEmpty()) run.runCounter = blocks.at(0).tag;
    if (blocks.size() > 1) run.measurement = blocks.at(1).tag;
    for (int k = 0; k < blocks.size() && k < SpectrumLimits::maxElements; ++k) {
        const McaTransfer::Block& b = blocks.at(k);
        SpectrumElement e;
        e.element = k;
        e.channel = named ? enabled.at(k).second : int(b.channel);
        if (named) {
            e.unit = units.at(enabled.at(k).first).name;
            e.address = units.at(enabled.at(k).first).address;
        }
        e.counts = b.bins;
        e.realTime = b.realTime;
        e.liveTime = b.liveTime;
        e.inputCountRate = b.icr;
        run.elements << e;
    }
    return run;
}

SpectrumRoi spectrumRoi(const SpectrumElement& element, int start, int end)
{
    return {start, end, sumThroughEnd(element.counts.constData(), element.counts.size(), start, end)};
}
