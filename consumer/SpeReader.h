#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// An IAEA SPE file read into a run of one element, line by line (LF or CR LF): $DATA:
// (counts from channel 0, any blanks or line ends between them), $MEAS_TIM: (live, real),
// $DATE_MEA: (mm/dd/yyyy hh:mm:ss, local time), $ROI:, $MCA_CAL: (or else $ENER_FIT:), and
// the remarks of $SPEC_REM: of the form "Name: value" that speDocument writes (a "Start"
// remark, with its zone, wins over $DATE_MEA:). An ROI's sum is its remark's, or else its
// counts' (both end channels counted). Other sections are left; a file over
// SpectrumLimits::maxFileBytes is refused. An error names the line.
SpectrumRead readSpe(const QByteArray& bytes);
