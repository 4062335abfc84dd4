#pragma once

#include "consumer/McaTransfer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// One measurement run as the spectrum files and the run log hold it: what the data link
// delivered, with what the configuration and the run itself add.

struct SpectrumRoi
{
    SpectrumRoi() = default;
    SpectrumRoi(int start, int end, quint64 sum = 0) : start(start), end(end), sum(sum) {}

    int start = 0; // first channel
    int end = 0;   // last channel, counted too
    quint64 sum = 0;
    // The peak the monitor read off the ROI, for the run log; empty where it could not be had.
    std::optional<double> net, netError, centroid, fwhm; // channels
    std::optional<double> centroidKev, fwhmKev;          // when the element is calibrated
    bool operator==(const SpectrumRoi& o) const { return start == o.start && end == o.end && sum == o.sum; }
};

// energy = offset + gain * channel + quadratic * channel^2; 0 1 0 until one is known.
struct SpectrumCalibration
{
    double offset = 0;
    double gain = 1;
    double quadratic = 0;
};

struct SpectrumElement
{
    QString unit;    // the unit's name in the configuration; empty when unknown
    QString address; // the unit's address; empty when unknown
    int channel = 0; // within the unit
    int element = 0; // position in the channel list
    QVector<quint32> counts;
    double realTime = 0; // s, the unit's
    double liveTime = 0; // s
    double inputCountRate = 0;
    QVector<SpectrumRoi> rois;
    SpectrumCalibration calibration;
    std::optional<double> deadTimePeak; // percent of real time, the run's highest the monitor saw

    double deadTime() const { return realTime - liveTime; }
    quint64 totalCounts() const;
};

struct SpectrumRun
{
    quint32 measurement = 0;
    quint32 runCounter = 0; // the first unit's count of starts (block 0), which tells runs apart
    QDateTime start;        // each with its offset from UTC
    QDateTime end;
    QString presetType; // REAL, LIVE or NONE
    double presetValue = 0;
    QString hvState; // the HV sweep state ("Off", "Trans", "On"); empty without an HV unit
    double hvVoltage = 0;
    bool hvVoltageKnown = false;
    QString comment;
    QVector<SpectrumElement> elements;
};

// What a reader gives: the run, or a text naming what is wrong (and where) and no run.
struct SpectrumRead
{
    SpectrumRun run;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Bounds that keep a hostile file's cost small; writers keep to them too.
namespace SpectrumLimits {
constexpr qint64 maxFileBytes = 32 << 20; // 256 elements of 4096 ten-digit counts fit
constexpr int maxElements = 256;          // as many as a transfer may hold
constexpr int maxChannels = 65536;
constexpr int maxRois = 64; // per element
constexpr int maxTextChars = 1024;
} // namespace SpectrumLimits

// A run from a transfer's blocks: counts, times and input count rate per element, the run
// counter from block 0 and the measurement number from block 1. The enabled channels of the VEXDA lines
// (their text after the key) name the units, unless their number or channels disagree with the blocks.
SpectrumRun spectrumRunFromBlocks(const QVector<McaTransfer::Block>& blocks, const QStringList& vexdaRests);

// An ROI of the element's counts, summed as GetValues sums it (both end channels counted).
SpectrumRoi spectrumRoi(const SpectrumElement& element, int start, int end);
