#pragma once

#include "consumer/SpectrumRun.h"

#include <QDateTime>
#include <QString>
#include <QStringRef>

// How the spectrum readers read numbers, times and texts of a file, whichever program wrote
// it. Every function costs time linear in its text and refuses what it cannot read whole.
namespace SpectrumParse {

// The next item of a text between blanks, tabs and line ends from `at` on, with `at` moved
// past it; false when there is none.
bool nextWord(const QString& text, int* at, QStringRef* word);
// All of them, for a short text.
QVector<QStringRef> words(const QString& text);
// A real number in the C locale, the whole text: "12.5", "-1e-07", "NaN", "INF".
bool real(const QStringRef& text, double* v);
// A count: a whole number from 0 to 4294967295, also written as a real ("12.0", "1.2E1").
bool count(const QStringRef& text, quint32* v);
// A whole number within int.
bool integer(const QStringRef& text, int* v);
// A real number that is a whole number within int.
bool integer(double real, int* v);
// A time not below zero: finite and >= 0.
bool isTime(double v);
// An xs:duration in seconds without years and months: "PT12.345S", "P1DT2H3M4.5S".
bool duration(const QString& text, double* seconds);
// An ISO 8601 date and time with an optional fraction and zone; without a zone, local time.
bool dateTime(const QString& text, QDateTime* t);
// "Name: value" split at its first ": ", the name trimmed, the value as it stands (a comment
// keeps its blanks); false when there is none.
bool namedValue(const QString& line, QString* name, QString* value);
// A remark "Name: value" as n42Document and speDocument write them, applied to the run or
// the element: Measurement number, Start, End, Preset type, Preset value, HV state, HV
// voltage, Comment; Unit, Address,
// Channel, Element, Real time, Input count rate, ROI (appended). Other remarks are left; false
// when a known one cannot be read.
bool applyRemark(const QString& remark, SpectrumRun& run, SpectrumElement& element);
// A text of the file, capped at SpectrumLimits::maxTextChars characters.
QString capped(const QString& text);
// A file's text quoted in an error: at most 40 characters.
QString quoted(const QStringRef& text);

} // namespace SpectrumParse
