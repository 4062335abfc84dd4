#pragma once

#include <QString>
#include <QVector>

// One 16-bit register of a unit. Per-channel registers carry the address of channel 0.
struct DspReg
{
    quint32 regAddress = 0;
    QString label;
    QString key; // compared case-sensitively
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

// Addresses of the registers with a fixed role (start, clear, times, histogram request, HV),
// looked up in the map once when it is built so that no access searches it by key.
struct FixedRegs
{
    quint32 dtDelay1 = 0;
    quint32 start = 0;
    quint32 measTime1 = 0;
    quint32 measTime2 = 0;
    quint32 measTime3 = 0;
    quint32 realTime1 = 0;
    quint32 clear = 0;
    quint32 histgram = 0;
    quint32 sFilterPeakingT = 0; // per channel: add the channel's offset
    quint32 fTotalCount1 = 0;
    quint32 icr1 = 0;
    quint32 liveTime1 = 0;
    quint32 deadTime1 = 0;
    quint32 hvStat = 0;
    quint32 hvValue = 0;
    quint32 hvOnOff = 0;
};
extern FixedRegs fixedRegs;

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
