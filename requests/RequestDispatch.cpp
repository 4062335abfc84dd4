#include "app/Body.h"

#include "config/ConfigText.h"
#include "dsp/VexDA.h"
#include "zephra/Command.h"
#include "zephra/Zephra.h"

void Body::anyAsk(AMsg msg)
{
    if (ui.LogMsgFromZephra->isChecked())
        Q_EMIT log(QString(":::: Rcv %1").arg(clipForLog(msg.line)), rcvLogColor);

    switch (msg.id) {
    case CmdGetDataLinkCh:
        askGetDataLinkCh(msg);
        break;
    case CmdGetMCALength:
        askGetMCALength(msg);
        break;
    case CmdGetPeakingTime:
        askGetPeakingTime(msg);
        break;
    case CmdRunStart:
        askStart(msg, true);
        break;
    case CmdResume:
        askStart(msg, false);
        break;
    case CmdRunStop:
        askStop(msg);
        break;
    case CmdClear:
        askClear(msg);
        break;
    case CmdStart:
        askStart(msg, false);
        break;
    case CmdStop:
        askStop(msg);
        break;
    case CmdGetMCAs:
        askGetMCAs(msg);
        break;
    case CmdSetNormalizeType:
        askSetNormalizeType(msg);
        break;
    case CmdGetNormalizeType:
        askGetNormalizeType(msg);
        break;
    case CmdSetPresetType:
        askSetPresetType(msg);
        break;
    case CmdGetPresetType:
        askGetPresetType(msg);
        break;
    case CmdSetPresetValue:
        askSetPresetValue(msg);
        break;
    case CmdGetPresetValue:
        askGetPresetValue(msg);
        break;
    case CmdGetRealTime:
        askGetRealTime(msg);
        break;
    case CmdGetLiveTime:
        askGetLiveTime(msg);
        break;
    case CmdSetROI:
        askSetROI(msg);
        break;
    case CmdSetROIs:
        askSetROIs(msg);
        break;
    case CmdGetROI:
        askGetROI(msg);
        break;
    case CmdGetROIs:
        askGetROIs(msg);
        break;
    case CmdGetValue:
        askGetValue(msg);
        break;
    case CmdGetValueInROI:
        askGetValue(msg);
        break;
    case CmdGetValues:
        askGetValues(msg);
        break;
    case CmdGetValuesInROI:
        askGetValues(msg);
        break;
    case CmdHVStart:
        askHvStart(msg);
        break;
    case CmdHVStop:
        askHvStop(msg);
        break;
    case CmdHVStat2:
        askHvStat(msg);
        break;
    case CmdHVVol:
        askHvVol(msg);
        break;
    case CmdGetRealTimes:
        askGetRealTimes(msg);
        break;
    case CmdGetLiveTimes:
        askGetLiveTimes(msg);
        break;
    case CmdGetDeadTimes:
        askGetDeadTimes(msg);
        break;
    case CmdGetThreshold:
        zephra->sendAnswer(msg, "0");
        break;
    case CmdGetCalibration:
        zephra->sendAnswer(msg, "0");
        break;
    case CmdGetDynamicRange:
        zephra->sendAnswer(msg, "1");
        break;
    case CmdGetPreAMPGain:
        zephra->sendAnswer(msg, "1");
        break;
    case CmdStatus:
        askStatus(msg);
        break;
    case CmdSetConfig:
        askSetConfig(msg);
        break;
    case CmdGetHistgram:
        askGetHistgram(msg);
        break;
    case CmdSetMeasTimeInSec:
        askSetMeasTimeInSec(msg);
        break;
    case CmdGetMeasTimeInSec:
        askGetMeasTimeInSec(msg);
        break;
    default:
        zephra->sendAnswer(msg, "Er: Unknown Command");
        Q_EMIT log(QString("**** Er: %1").arg(clipForLog(msg.cmd)));
        break;
    }
}

bool Body::checkParamCount(const AMsg& msg, int n)
{
    if (msg.params.size() == n) return true;
    zephra->sendAnswer(msg, QString("Er: Number of Params shuld be %1").arg(n));
    return false;
}

int Body::checkMaxParams(const AMsg& msg, int n)
{
    if (msg.params.size() <= n) return msg.params.size();
    zephra->sendAnswer(msg, QString("Er: Number of Params shuld be %1").arg(n));
    return -1;
}

int Body::checkElementNo(const AMsg& msg, int n)
{
    if (!checkParamCount(msg, n)) return -1;
    const int e = paramAt(msg, 0).toInt(nullptr, 10);
    if (e >= 0 && e < channels.size()) return e;
    zephra->sendAnswer(msg, "Er: Elment No.");
    return -1;
}

QString Body::paramAt(const AMsg& msg, int i)
{
    return msg.params.value(i);
}

VexDA* Body::unitOfSubAddress(const AMsg& msg)
{
    VexDA* unit = vexDAs.unitNamed(msg.toSub);
    if (!unit) zephra->sendAnswer(msg, QString("Er: No dsp of id %1").arg(msg.toSub));
    return unit;
}
