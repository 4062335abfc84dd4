#pragma once

#include "hv/HvStat.h"

#include <QtGlobal>

// The HV unit's status and voltage words, decoded without a socket.
//
// Status word (16 bits):
// | Bits | Meaning                                              |
// |------|------------------------------------------------------|
// | 0-3  | sweep: 0 Off, 2 Trans, 4 On, any other value Unknown |
// | 4    | HV on                                                |
// | 5    | positive polarity                                    |
// | 4-7  | emergency when any of them is set                    |
//
// Voltage word W (unsigned): volts = (W - 32767) / 32767 * full scale.

struct HvStatus
{
    bool inEmergency = false;
    bool isPositive = false;
    bool isOn = false;
    HvStat::SweepStat sweepStat = HvStat::Off;
};

HvStatus decodeHvStatus(quint16 word);

double hvVolts(quint16 word, double fullScale);

// Only a change of more than `step` counts as a new voltage, so that the last bit's noise
// does not flood the panel and the signal.
bool isVoltageStep(double volts, double lastVolts, double step);

// The sweep state as clients see it: Off 0, Trans 1, On 2, Unknown -1.
int sweepNumber(HvStat::SweepStat stat);
