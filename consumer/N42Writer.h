#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// The run as an ANSI N42.42-2012 document (UTF-8 XML): the instrument (Tavik and the units),
// one detector and one energy calibration per element, and one foreground measurement with
// one spectrum per element. What the standard has no element for (measurement number, end,
// preset, HV, comment; per element its unit, address, channel, element number, real time,
// input count rate and ROIs) goes into Remark elements of the form "Name: value". A run
// without a start (one read from the consumer's CSV) has no StartDateTime.
namespace N42 {
constexpr char nameSpace[] = "http://physics.nist.gov/N42/2011/N42";
}

QByteArray n42Document(const SpectrumRun& run);
