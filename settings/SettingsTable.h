#pragma once

#include "settings/DspData.h"

#include <QSet>
#include <QString>
#include <QVector>

// One register of a unit in the order a settings table walks them.
struct RegisterPlace
{
    QString label;       // padded
    int channel = -1;    // -1: link or unit-wide register
    quint32 address = 0; // channel offset included
};

// The link and unit-wide registers, then the channel settings of channels 0 to 3, then the
// channel counters of channels 0 to 3: 212 places.
QVector<RegisterPlace> unitRegisterPlaces();

// Every address that is a register of a DSP unit; a write-back goes nowhere else.
QSet<quint32> registerAddresses();

// For each loaded record i, the first row j = (i + k) mod n, k = 0, 1, ..., whose address is
// the record's (unit and channel are not compared), or -1 when no row has it. Each record
// costs a lookup, not a scan of the table.
QVector<int> matchLoadedRows(const QVector<DspData>& config, const QVector<DspData>& loaded);
