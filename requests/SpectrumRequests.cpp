#include "app/Body.h"

#include "dsp/DspConstants.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "requests/RequestText.h"
#include "zephra/Zephra.h"

#include <utility>

namespace {
constexpr int binCount = Dsp::binCount;

// The start and end of an ROI from two parameter texts, swapped into order.
std::pair<int, int> roiFrom(const QString& startText, const QString& endText)
{
    int start = roiBoundFromText(startText);
    int end = roiBoundFromText(endText);
    if (start > end) std::swap(start, end);
    return {start, end};
}
} // namespace

void Body::askGetHistgram(AMsg msg)
{
    const int e = checkElementNo(msg, 1);
    if (e < 0) return;
    const ChannelRef& ref = channels.at(e);
    // Never the numbers of an earlier transfer: they may be another channel's.
    if (!ref.unit->getHistogram(ref.ch, nullptr)) {
        zephra->sendAnswer(msg, "0 Er: data transfer");
        return;
    }
    zephra->sendLatin1Answer(msg, countsLatin1(ref.unit->histogram.constData(), binCount));
}

void Body::askGetValue(AMsg msg)
{
    const int e = checkElementNo(msg, 1);
    if (e < 0) return;
    const ChannelRef& ref = channels.at(e);
    VexDA* unit = ref.unit;
    if (!unit->getHistogram(ref.ch, nullptr)) {
        zephra->sendAnswer(msg, "0 Er: data transfer");
        return;
    }
    const int lo = unit->roiStart.at(ref.ch);
    const int hi = qMin(unit->roiEnd.at(ref.ch), binCount);
    Q_EMIT log(QString("sum in [%1 %2] of elm %3").arg(lo).arg(hi).arg(ref.ch));
    zephra->sendAnswer(msg, QString::number(sumBelowEnd(unit->histogram.constData(), binCount, lo, hi)));
}

void Body::askGetValues(AMsg msg)
{
    for (VexDA* unit : vexDAs.units())
        unit->readTimes();
    QVector<quint64> totals, rois, totalCounts, icrs;
    quint64 grandTotal = 0;
    for (const ChannelRef& ref : qAsConst(channels)) {
        VexDA* unit = ref.unit;
        if (!unit->getHistogram(ref.ch, nullptr)) {
            zephra->sendAnswer(msg, "0 Er: data transfer");
            return;
        }
        const BinSums sums = sumTotalAndThroughEnd(unit->histogram.constData(), binCount,
                                                   unit->roiStart.at(ref.ch), unit->roiEnd.at(ref.ch));
        const quint32 offset = quint32(channelOffsets.at(ref.ch));
        totals << sums.total;
        rois << sums.roi;
        totalCounts << unit->readValue(fixedRegs.fTotalCount1 + offset, 4);
        icrs << unit->readValue(fixedRegs.icr1 + offset, 4);
        grandTotal += sums.roi;
    }
    zephra->sendAnswer(
        msg, QString("%1 %2 %3 %4 %5")
                 .arg(grandTotal)
                 .arg(countsText(totals), countsText(rois), countsText(totalCounts), countsText(icrs)));
}

void Body::askSetROI(AMsg msg)
{
    const int e = checkElementNo(msg, 3);
    if (e < 0) return;
    const auto [start, end] = roiFrom(paramAt(msg, 1), paramAt(msg, 2));
    const ChannelRef& ref = channels.at(e);
    ref.unit->roiStart[ref.ch] = start;
    ref.unit->roiEnd[ref.ch] = end;
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askSetROIs(AMsg msg)
{
    const int n = msg.params.size();
    if (n != 2 && n != 2 * channels.size()) {
        zephra->sendAnswer(msg, "Er: num of params");
        return;
    }
    for (int i = 0; i < channels.size(); ++i) {
        const int first = n == 2 ? 0 : 2 * i;
        const auto [start, end] = roiFrom(paramAt(msg, first), paramAt(msg, first + 1));
        const ChannelRef& ref = channels.at(i);
        ref.unit->roiStart[ref.ch] = start;
        ref.unit->roiEnd[ref.ch] = end;
    }
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askGetROI(AMsg msg)
{
    const int e = checkElementNo(msg, 1);
    if (e < 0) return;
    const ChannelRef& ref = channels.at(e);
    zephra->sendAnswer(msg,
                       QString("%1 %2").arg(ref.unit->roiStart.at(ref.ch)).arg(ref.unit->roiEnd.at(ref.ch)));
}

void Body::askGetROIs(AMsg msg)
{
    if (!checkParamCount(msg, 0)) return;
    QStringList bounds;
    for (const ChannelRef& ref : qAsConst(channels))
        bounds << QString::number(ref.unit->roiStart.at(ref.ch))
               << QString::number(ref.unit->roiEnd.at(ref.ch));
    zephra->sendAnswer(msg, bounds.join(' '));
}

QVector<double> Body::readRealTimes()
{
    QVector<double> times;
    for (VexDA* unit : vexDAs.units()) {
        unit->readTimes();
        times << unit->realTime;
    }
    return times;
}

QVector<double> Body::readChannelTimes(bool live)
{
    for (VexDA* unit : vexDAs.units())
        unit->readTimes();
    QVector<double> times;
    for (const ChannelRef& ref : qAsConst(channels))
        times << (live ? ref.unit->liveTimes : ref.unit->deadTimes).value(ref.ch);
    return times;
}

void Body::askGetRealTimes(AMsg msg)
{
    if (checkParamCount(msg, 0)) zephra->sendAnswer(msg, numbersText(readRealTimes()));
}

void Body::askGetRealTime(AMsg msg)
{
    if (checkParamCount(msg, 0)) zephra->sendAnswer(msg, meanText(readRealTimes()));
}

void Body::askGetLiveTimes(AMsg msg)
{
    if (checkParamCount(msg, 0)) zephra->sendAnswer(msg, numbersText(readChannelTimes(true)));
}

void Body::askGetLiveTime(AMsg msg)
{
    if (checkParamCount(msg, 0)) zephra->sendAnswer(msg, meanText(readChannelTimes(true)));
}

void Body::askGetDeadTimes(AMsg msg)
{
    if (checkParamCount(msg, 0)) zephra->sendAnswer(msg, numbersText(readChannelTimes(false)));
}
