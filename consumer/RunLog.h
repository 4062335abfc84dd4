#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// The run log (DIR/runs.csv): one CSV line per run. First the run's columns (measurement,
// start, end, preset, HV, comment), then one group per element and, inside it, one per ROI.
// Texts are quoted where they hold a comma, a quote or a blank at an end; a comment's line
// breaks become blanks and it is capped at SpectrumLimits::maxTextChars characters, so a
// run is always one line. The header follows the run's shape (elements and their ROIs): a
// run of another shape needs another header, so compare before appending to a file.
QByteArray runLogHeader(const SpectrumRun& shape);
QByteArray runLogLine(const SpectrumRun& run);
