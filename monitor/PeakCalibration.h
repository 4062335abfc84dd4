#pragma once

#include "analysis/Calibration.h"

#include <QString>
#include <QVector>

#include <optional>

// The energy calibration of one element from peaks marked in the window: the rows of its
// table as typed, a channel (a centroid) and the peak's known energy in keV each.
namespace PeakCalibration {

struct Row
{
    QString channel;
    QString kev;
};

struct Result
{
    std::optional<Analysis::Calibration> calibration; // empty: refused, and `message` says why
    int peaks = 0;
    QString message;
};

// Rows left wholly blank are skipped; every other row needs two C-locale numbers, a channel
// within 0 to binCount - 1. A line from 2 or more peaks, a parabola (when asked) from 3 or
// more, by least squares; refused as fitCalibration refuses.
Result fit(const QVector<Row>& rows, bool parabola, int binCount);

} // namespace PeakCalibration
