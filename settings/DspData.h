#pragma once

#include <QString>

// One register value of one unit: a row of the settings table and a line of a settings file.
struct DspData
{
    QString label; // padded with blanks to the label width
    int dspIndex = 0;
    int channel = -1; // -1: link or unit-wide register
    quint32 header = 0;
    quint32 address = 0; // channel offset included; write-back goes here
    quint64 regValue = 0;
    int fileLine = 0; // line of the settings file it was read from; 0 when read from a unit
};
