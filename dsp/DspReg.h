#pragma once

#include <QString>
#include <QVector>

// One 16-bit register of a unit. Per-channel registers carry the address of channel 0.
struct DspReg
{
    quint32 regAddress = 0;
    QString label;
    QString key;    // compared case-sensitively
    bool readable = false;
    bool writable = false;
};

// The register map, process-wide and read-only once built.
extern QVector<DspReg> unitLinkRegs;      // data-transfer delay pair
extern QVector<DspReg> unitRegs;          // unit-wide registers
extern QVector<DspReg> channelRegs;       // per-channel settings
extern QVector<DspReg> channelStatusRegs; // per-channel counters and times
extern QVector<DspReg> allRegs;           // the four lists above, in that order
extern QVector<DspReg> hvRegs;            // the HV unit
extern QVector<int> channelOffsets;       // address offset of each channel's block

void buildRegisterMap();

// Address of the first entry of `list` whose key equals `key`; 0 when there is none
// (0 is never a register address).
quint32 findRegAddress(const QVector<DspReg>& list, const QString& key);

// Address of `key` for one channel as the status and configuration requests resolve it:
// link and unit-wide registers take no offset, per-channel ones the clamped channel's
// (ch < 0 means no channel). 0 when the key is unknown; HV registers are not searched.
quint32 resolveRegAddress(const QString& key, int ch);

// The channel clamped into 0..3.
int clampChannel(int ch);
