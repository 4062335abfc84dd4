#pragma once

#include <QStringList>

class QTextStream;

// `tavik-monitor --analyze FILE [--roi START END]... [--calibration FILE]`: the ROI report of
// a spectrum file the consumer or the recorder wrote (the consumer's CSV, N42 or SPE, told
// apart by their content), one line per element and ROI. It opens no window and connects to
// nothing, so it runs without a display.
namespace AnalyzeCommand {

constexpr char option[] = "--analyze";
// Bad arguments, a spectrum file that cannot be read, a wrong calibration file.
constexpr int exitFailure = 2;

// Whether the program's arguments ask for the analysis.
bool requested(int argc, const char* const* argv);

// The analysis of what `arguments` (the program's name first) ask for: the report lines on
// `out` (reportLine's), what is wrong on `err`. Returns the exit status, 0 or exitFailure.
// Without --roi, each element's ROIs stored in the file, or its whole spectrum when it has
// none. An element's calibration is its line of the --calibration file, else the file's own
// when that is not 0 1 0, else none. Qt's "-platform NAME" is accepted and has no effect.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace AnalyzeCommand
