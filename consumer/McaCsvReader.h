#pragma once

#include "consumer/SpectrumRun.h"

#include <QByteArray>

// The consumer's CSV of a transfer, as mcaCsv writes it, read into a run: per element its
// channel, real and live time, input count rate and counts; the measurement number from the
// "offset 4" row of element 1. The rows and columns must be those mcaCsv writes (bin rows
// numbered from 0, LF or CR LF line ends); an error names the line.
SpectrumRead readMcaCsv(const QByteArray& bytes);
