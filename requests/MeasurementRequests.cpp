#include "app/Body.h"

#include "dsp/DspConstants.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "requests/RequestText.h"
#include "zephra/Zephra.h"

void Body::askClear(AMsg msg)
{
    if (!checkParamCount(msg, 0)) return;
    for (VexDA* unit : vexDAs.units())
        unit->clearHistogram();
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askStart(AMsg msg, bool clearHgm)
{
    if (checkMaxParams(msg, 1) < 0) return;
    const int n = paramAt(msg, 0).toInt(nullptr, 10);
    if (clearHgm)
        for (VexDA* unit : vexDAs.units())
            unit->clearHistogram();
    // Every unit is stopped before any is started.
    for (VexDA* unit : vexDAs.units()) {
        unit->writeRegister(fixedRegs.start, 0, true, 2);
        unit->stopMeasWatch();
    }
    for (VexDA* unit : vexDAs.units()) {
        if (n == 0 || n != unit->runId) {
            unit->runId = n;
            unit->startMeasWatch();
            unit->writeRegister(fixedRegs.start, 1, true, 2);
        } else {
            // The same measurement again: report a busy pulse instead of restarting.
            unit->busy = true;
            unit->checkIsBusy();
            unit->busy = false;
            unit->checkIsBusy();
        }
    }
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askStop(AMsg msg)
{
    if (!checkParamCount(msg, 0)) return;
    for (VexDA* unit : vexDAs.units()) {
        unit->writeRegister(fixedRegs.start, 0, true, 2);
        unit->stopMeasWatch();
    }
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askSetPresetType(AMsg msg)
{
    if (!checkParamCount(msg, 1)) return;
    const int type = presetTypeFromText(paramAt(msg, 0));
    for (VexDA* unit : vexDAs.units())
        unit->setPresetType(type);
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askGetPresetType(AMsg msg)
{
    answerPresetOfAllUnits(msg, [](const VexDA* unit) { return QString::number(unit->presetType()); });
}

// Answers the text every unit gives, or the first with the list of all when they differ.
void Body::answerPresetOfAllUnits(const AMsg& msg, const std::function<QString(const VexDA*)>& textOf)
{
    if (!checkParamCount(msg, 0)) return;
    if (vexDAs.units().isEmpty()) {
        zephra->sendAnswer(msg, "Er: No DSPs are managed");
        return;
    }
    QStringList texts;
    for (const VexDA* unit : vexDAs.units())
        texts << textOf(unit);
    for (const QString& t : qAsConst(texts))
        if (t != texts.first()) {
            zephra->sendAnswer(
                msg, QString("%1 Er: Preset Types are different. (%2)").arg(texts.first(), texts.join(' ')));
            return;
        }
    zephra->sendAnswer(msg, texts.first());
}

void Body::askSetPresetValue(AMsg msg)
{
    if (!checkParamCount(msg, 1)) return;
    const double value = paramAt(msg, 0).toDouble();
    for (VexDA* unit : vexDAs.units())
        unit->setPresetValue(value);
    zephra->sendAnswer(msg, "Ok:");
}

void Body::askGetPresetValue(AMsg msg)
{
    answerPresetOfAllUnits(msg, [](const VexDA* unit) { return numberText(unit->presetValue()); });
}

void Body::askSetNormalizeType(AMsg msg)
{
    if (!checkParamCount(msg, 1)) return;
    normalizeType = normalizeTypeFromText(paramAt(msg, 0), normalizeType);
    zephra->sendAnswer(msg, QString("Ok: Normalize type %1").arg(normalizeTypeName(normalizeType)));
}

void Body::askGetNormalizeType(AMsg msg)
{
    zephra->sendAnswer(msg, normalizeTypeName(normalizeType));
}

void Body::askGetMCALength(AMsg msg)
{
    if (!checkParamCount(msg, 0)) return;
    if (vexDAs.units().isEmpty())
        zephra->sendAnswer(msg, "Er: No DSPs are managed");
    else
        zephra->sendAnswer(msg, QString::number(Dsp::binCount));
}

void Body::askGetPeakingTime(AMsg msg)
{
    const int e = checkElementNo(msg, 1);
    if (e < 0) return;
    const ChannelRef& ref = channels.at(e);
    const quint64 v = ref.unit->readValue(fixedRegs.sFilterPeakingT + quint32(channelOffsets.at(ref.ch)));
    zephra->sendAnswer(msg, numberText(double(v) * Dsp::peakingTimePerStep));
}

void Body::askGetMeasTimeInSec(AMsg msg)
{
    VexDA* unit = unitOfSubAddress(msg);
    if (!unit) return;
    zephra->sendAnswer(msg, numberText(double(unit->measTimeRaw()) * Dsp::secondsPerTick));
}

void Body::askSetMeasTimeInSec(AMsg msg)
{
    VexDA* unit = unitOfSubAddress(msg);
    if (!unit) return;
    unit->setMeasTimeRaw(VexDA::ticksFromSeconds(paramAt(msg, 0).toDouble()));
    zephra->sendAnswer(msg, "Ok:");
}

void Body::changedVexDABusy()
{
    const int busy = vexDAs.isBusy() ? 1 : 0;
    Q_EMIT log(QString("Emitting Event: _ChangedIsBusy %1").arg(busy));
    if (zephra) zephra->sendEvent(QString(), QString("ChangedIsBusy %1").arg(busy));
}
