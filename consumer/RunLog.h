#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>
#include <QSet>

// The run log (DIR/runs.csv): one CSV line per run. First the run's columns (measurement,
// start, end, preset, HV, comment), then one group per element and, inside it, one per ROI.
// Texts are quoted where they hold a comma, a quote or a blank at an end; a comment's line
// breaks become blanks and it is capped at SpectrumLimits::maxTextChars characters, so a
// run is always one line. The header follows the run's shape (elements and their ROIs): a
// run of another shape needs another header, so compare before appending to a file.
QByteArray runLogHeader(const SpectrumRun& shape);
QByteArray runLogLine(const SpectrumRun& run);

// The runs a run-log file holds, one key per line of its header's shape: the measurement
// number, the run counter and each element's real and live time and total counts as written.
// The key of a run is the same text, so a run read back from a file is known again.
QSet<QString> runLogKeys(const QByteArray& file);
QString runLogKey(const SpectrumRun& run);
