#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// An ANSI N42.42-2012 document read into a run: its first foreground measurement (or its
// first measurement when none is foreground), one element per spectrum with its detector
// and energy calibration (up to the quadratic term), and whatever the remarks of the form
// "Name: value" that n42Document writes add. Counts may be compressed as counted zeroes.
// A DTD is refused, so is a file over SpectrumLimits::maxFileBytes.
SpectrumRead readN42(const QByteArray& bytes);
