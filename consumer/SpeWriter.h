#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// One element of the run as an IAEA SPE file (text, LF line ends): $SPEC_ID:, $SPEC_REM:
// with the remarks of the form "Name: value" that the format has no section for (the comment
// on one line), $DATE_MEA: (the start as mm/dd/yyyy hh:mm:ss), $MEAS_TIM: (live, then real
// seconds), $ROI:, the energy calibration twice as readers differ in which they read —
// $ENER_FIT: (offset, gain) and $MCA_CAL: (3, then the three coefficients) — and $DATA:, its
// first and last channel, then one count per line. Empty when there is no such element.
QByteArray speDocument(const SpectrumRun& run, int element);
