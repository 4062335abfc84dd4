#pragma once

#include <QString>

// Identifiers of the command table; the main controller routes requests by them.
enum CommandId : int {
    CmdHello = 0,
    CmdHelp = 1,
    CmdIsBusy = 2,
    CmdGetDataLinkCh = 3,
    CmdGetMCALength = 4,
    CmdGetPeakingTime = 5,
    CmdRunStart = 6,
    CmdResume = 7,
    CmdRunStop = 8,
    CmdClear = 9,
    CmdStart = 10,
    CmdStop = 11,
    CmdGetMCAs = 12,
    CmdSetNormalizeType = 13,
    CmdGetNormalizeType = 14,
    CmdSetPresetType = 15,
    CmdGetPresetType = 16,
    CmdSetPresetValue = 17,
    CmdGetPresetValue = 18,
    CmdGetRealTime = 19,
    CmdGetLiveTime = 20,
    CmdSetROI = 21,
    CmdSetROIs = 22,
    CmdGetROI = 23,
    CmdGetROIs = 24,
    CmdGetValue = 25,
    CmdGetValueInROI = 26,
    CmdGetValues = 27,
    CmdGetValuesInROI = 28,
    CmdHVStart = 29,
    CmdHVStop = 30,
    CmdHVStat2 = 31,
    CmdHVVol = 32,
    CmdGetRealTimes = 33,
    CmdGetLiveTimes = 34,
    CmdGetDeadTimes = 35,
    CmdGetThreshold = 36,
    CmdGetCalibration = 37,
    CmdGetDynamicRange = 38,
    CmdGetPreAMPGain = 39,
    CmdStatus = 40,
    CmdSetConfig = 41,
    CmdGetHistgram = 42,
    CmdSetMeasTimeInSec = 43,
    CmdGetMeasTimeInSec = 44,
    CmdUnknown = 46, // a word that is not in the table
};

// One row of the command table: the identifier the main controller routes by, the
// command word (compared exactly) and its one-line help.
struct Command
{
    int id = 0;
    QString name;
    QString help;
};
