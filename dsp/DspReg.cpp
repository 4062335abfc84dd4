#include "dsp/DspReg.h"

QVector<DspReg> unitLinkRegs;
QVector<DspReg> unitRegs;
QVector<DspReg> channelRegs;
QVector<DspReg> channelStatusRegs;
QVector<DspReg> allRegs;
QVector<DspReg> hvRegs;
QVector<int> channelOffsets;
FixedRegs fixedRegs;

static void resolveFixedRegs()
{
    FixedRegs& r = fixedRegs;
    r.dtDelay1 = findRegAddress(unitLinkRegs, "DTDelay1");
    r.start = findRegAddress(unitRegs, "Start");
    r.measTime1 = findRegAddress(unitRegs, "MeasTime1");
    r.measTime2 = findRegAddress(unitRegs, "MeasTime2");
    r.measTime3 = findRegAddress(unitRegs, "MeasTime3");
    r.realTime1 = findRegAddress(unitRegs, "RealTime1");
    r.clear = findRegAddress(unitRegs, "Clear");
    r.histgram = findRegAddress(unitRegs, "Histgram");
    r.sFilterPeakingT = findRegAddress(channelRegs, "SFilterPeakingT");
    r.fTotalCount1 = findRegAddress(channelStatusRegs, "FTotalCount1");
    r.icr1 = findRegAddress(channelStatusRegs, "ICR1");
    r.liveTime1 = findRegAddress(channelStatusRegs, "LiveTime1");
    r.deadTime1 = findRegAddress(channelStatusRegs, "DeadTime1");
    r.hvStat = findRegAddress(hvRegs, "HV Stat");
    r.hvValue = findRegAddress(hvRegs, "HV Value");
    r.hvOnOff = findRegAddress(hvRegs, "HV On/Off");
}

void buildRegisterMap()
{
    // {address, label, key, readable, writable}; labels are shown and stored as they stand.
    unitLinkRegs = {
        {0x00000008, "Data Trans Delay (MSB)", "DTDelay1", true, true},
        {0x0000000A, "Data Trans Delay (LSB)", "DTDelay2", true, true},
    };
    unitRegs = {
        {0xB4000010, "Mode", "Mode", true, true},
        {0xB4000014, "Start/Stop", "Start", true, true},
        {0xB4000016, "Meas Time 1 (MSB)", "MeasTime1", true, true},
        {0xB4000018, "Meas Time 2 (Mid)", "MeasTime2", true, true},
        {0xB400001A, "MEas Time 3 (LSB)", "MeasTime3", true, true},
        {0xB400001C, "Real Time 1 (MSB)", "RealTime1", true, false},
        {0xB400001E, "Real Time 2 (Mid)", "RealTime2", true, false},
        {0xB4000020, "Real Time 3 (LSB)", "RealTime3", true, false},
        {0xB4000040, "Clear Histgram", "Clear", true, true},
        {0xB4000048, "Quick Scan Count", "QSCount", true, true},
        {0xB400004A, "Get Histgram", "Histgram", false, true},
        {0xB400004E, "Clock Select", "ClockSel", true, true},
        {0xB4000062, "Quick Scan Times", "QSTimes", true, true},
        {0xB400007A, "DAC Monitor Selet", "DAQMonSel", true, true},
        {0xB400009E, "ROI 1 Start", "ROI1Start", true, true},
        {0xB40000A0, "ROI 1 End", "ROI1End", true, true},
        {0xB40000A2, "ROI 2 Start", "ROI2Start", true, true},
        {0xB40000A4, "ROI 2 End", "ROI2End", true, true},
        {0xB40000A6, "ROI 3 Start", "ROI3Start", true, true},
        {0xB40000A8, "ROI 3 End", "ROI3End", true, true},
        {0xB40000AA, "ROI 4 Start", "ROI4Start", true, true},
        {0xB40000AC, "ROI 4 End", "ROI4End", true, true},
        {0xB40000AE, "ROI 5 Start", "ROI5Start", true, true},
        {0xB40000B0, "ROI 5 End", "ROI5End", true, true},
        {0xB40000B2, "ROI 6 Start", "ROI6Start", true, true},
        {0xB40000B4, "ROI 6 End", "ROI6End", true, true},
        {0xB40000B6, "ROI 7 Start", "ROI7Start", true, true},
        {0xB40000B8, "ROI 7 End", "ROI7End", true, true},
        {0xB40000BA, "ROI 8 Start", "ROI8Start", true, true},
        {0xB40000BC, "ROI 8 End", "ROI8End", true, true},
        {0xB40000C6, "Fast SCA ROI1 Ch", "FSCA_ROI1Ch", true, true},
        {0xB40000C8, "Fast SCA ROI2 Ch", "FSCA_ROI2Ch", true, true},
        {0xB40000CA, "Fast SCA ROI3 Ch", "FSCA_ROI3Ch", true, true},
        {0xB40000CC, "Fast SCA ROI4 Ch", "FSCA_ROI4Ch", true, true},
        {0xB40000CE, "Fast SCA ROI5 Ch", "FSCA_ROI5Ch", true, true},
        {0xB40000D0, "Fast SCA ROI6 Ch", "FSCA_ROI6Ch", true, true},
        {0xB40000D2, "Fast SCA ROI7 Ch", "FSCA_ROI7Ch", true, true},
        {0xB40000D4, "Fast SCA ROI8 Ch", "FSCA_ROI8Ch", true, true},
        {0xB40000D6, "Fast SCA AUX1 Timing", "FSCAAux1Tmg", true, true},
        {0xB40000D8, "Fast SCA AUX2 Timing", "FSCAAux2Tmg", true, true},
        {0xB40000DA, "Fast SCA AUX3 Timing", "FSCAAux3Tmg", true, true},
        {0xB40000DC, "Fast SCA AUX4 Timing", "FSCAAux4Tmg", true, true},
        {0xB40000DE, "Fast SCA AUX5 Timing", "FSCAAux5Tmg", true, true},
        {0xB40000E0, "Fast SCA AUX6 Timing", "FSCAAux6Tmg", true, true},
        {0xB40000E2, "Fast SCA AUX7 Timing", "FSCAAux7Tmg", true, true},
        {0xB40000E4, "Fast SCA AUX8 Timing", "FSCAAux8Tmg", true, true},
    };
    channelRegs = {
        {0xB4000200, "Coarse Gain", "CoarseGain", true, true},
        {0xB4000202, "ADC Gain", "ADCGain", true, true},
        {0xB4000204, "Fast Filter D", "FFilterD", true, true},
        {0xB4000206, "Fast Filter I", "FFilterI", true, true},
        {0xB4000208, "Slow Filter Rise Time", "SFilterRiseT", true, true},
        {0xB400020A, "Slow Filter Peaking Time", "SFilterPeakingT", true, true},
        {0xB400020C, "Fast Filter Pole 0 Cancel", "FFilterP0Cancel", true, true},
        {0xB400020E, "Slow Filter Pole 0 Cancel", "SFilterP0Cancel", true, true},
        {0xB4000210, "Fast Filter Trg Th.", "FFilterTrgTh", true, true},
        {0xB4000212, "Energy LLD", "EnergyLLD", true, true},
        {0xB4000214, "Energy ULD", "EnergyULD", true, true},
        {0xB4000216, "Slow Filter Th.", "SFilterTh", true, true},
        {0xB4000218, "Pile up Reject", "PileUpReject", true, true},
        {0xB400021A, "Pre Amp. Polarity", "PreAMPPolarity", true, true},
        {0xB4000238, "Slow Filter Re-Setup", "SFilterReSetup", true, true},
        {0xB400023A, "Digital Coarse Gain (Slow)", "DigCoarseGain", true, true},
        {0xB400023C, "Digital Fine Gain (Slow)", "DigFineGain", true, true},
        {0xB400023E, "Trigger Timing Select", "TrgTimingSel", true, true},
        {0xB4000240, "CFD Function Select", "CFDFuncSel", true, true},
        {0xB4000242, "CFD Delay Select", "CFDDelaySel", true, true},
        {0xB4000244, "Inhibit Width", "InhibitWidth", true, true},
        {0xB4000254, "Shaping Time", "ShapingT", true, true},
        {0xB4000256, "Analog Pole 0", "AnalogP0", true, true},
        {0xB4000258, "Analog Fine Gain", "AnalogFineGain", true, true},
        {0xB4000266, "Processor Select", "ProcSel", true, true},
        {0xB40002D4, "Fast Filter Type", "FFilterType", true, true},
    };
    channelStatusRegs = {
        {0xB400021C, "Fast Total Count 1 (MSB)", "FTotalCount1", true, false},
        {0xB400021E, "Fast Total Count 2 (LSB)", "FTotalCount2", true, false},
        {0xB4000220, "Throughput Total Count 1 (MSB)", "ThTotalCount1", true, false},
        {0xB4000222, "Throughput Total Count 2 (LSB)", "ThTotalCount2", true, false},
        {0xB400022C, "ICR 1 (MSB)", "ICR1", true, false},
        {0xB400022E, "ICR 2 (LSB)", "ICR2", true, false},
        {0xB4000230, "Throughput Count Rate 1 (MSB)", "ThCountR1", true, false},
        {0xB4000232, "Throughput Count Rate 2 (LSB)", "ThCountR2", true, false},
        {0xB4000234, "Pileup Count Rate", "PileupCountR", true, false},
        {0xB4000246, "Live Time 1 (MSB)", "LiveTime1", true, false},
        {0xB4000248, "Live Time 2 (Mid)", "LiveTime2", true, false},
        {0xB400024A, "Live Time 3 (LSB)", "LiveTime3", true, false},
        {0xB400024C, "Dead Time 1 (MSB)", "DeadTime1", true, false},
        {0xB400024E, "Dead Time 2 (Mid)", "DeadTime2", true, false},
        {0xB4000250, "Dead Time 3 (LSB)", "DeadTime3", true, false},
    };
    hvRegs = {
        {0xB4002200, "HV Status", "HV Stat", true, false},
        {0xB4002202, "HV Value", "HV Value", true, false},
        {0xB400220E, "HV On/Off", "HV On/Off", true, true},
    };
    allRegs = unitLinkRegs + unitRegs + channelRegs + channelStatusRegs;
    channelOffsets = {0x000, 0x200, 0x400, 0x600};
    resolveFixedRegs();
}

quint32 findRegAddress(const QVector<DspReg>& list, const QString& key)
{
    for (const DspReg& reg : list)
        if (reg.key == key) return reg.regAddress;
    return 0;
}

int clampChannel(int ch)
{
    const int last = channelOffsets.size() - 1;
    return ch < 0 ? 0 : (ch > last ? last : ch);
}

quint32 resolveRegAddress(const QString& key, int ch)
{
    const quint32 offset = ch < 0 ? 0 : quint32(channelOffsets.at(clampChannel(ch)));
    for (const QVector<DspReg>* list : {&unitLinkRegs, &unitRegs})
        if (const quint32 address = findRegAddress(*list, key)) return address;
    for (const QVector<DspReg>* list : {&channelRegs, &channelStatusRegs})
        if (const quint32 address = findRegAddress(*list, key)) return address + offset;
    return 0;
}
