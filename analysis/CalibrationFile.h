#pragma once

#include "analysis/Calibration.h"

#include <QMap>
#include <QString>

namespace Analysis {

// The calibration of each element that has one, by element number.
using CalibrationTable = QMap<int, Calibration>;

// A calibration file: one line per element,
//
//     # element  offset/keV  gain/keV per channel  [quad/keV per channel^2]
//     0  -1.25  0.3312
//     1   0.8   0.3290  1.2e-7
//
// items separated by blanks or tabs, numbers in the C locale ("0.5", "1e-7"; no "0,5", no
// group separators), the quadratic term 0 when left out; '#' starts a comment, blank lines are
// skipped. An element is 0 to maxElement and appears once; its calibration must rise over
// binCount bins (Calibration::risesOver).
namespace CalibrationFile {

constexpr int maxElement = 255;
constexpr qint64 maxBytes = 1 << 20;

// All or nothing: true and `table` replaced, or false with `table` untouched and `error`
// naming the first wrong line ("line 3: ...").
bool parse(const QByteArray& text, int binCount, CalibrationTable* table, QString* error);
// The same for a regular file of at most maxBytes; `error` starts with the file's name.
bool read(const QString& path, int binCount, CalibrationTable* table, QString* error);

} // namespace CalibrationFile

} // namespace Analysis
