#pragma once

#include <QDateTime>
#include <QString>

// How the spectrum writers put numbers, times and texts into files: the same in every
// locale, times to the microsecond, outside text cleaned and capped.
namespace SpectrumText {

// The shortest text that reads back as the same double: "0.1", "1e-07", "nan".
QString number(double v);
// Seconds in fixed notation to the microsecond, trailing zeros dropped: "12.345", "3". A
// time that is no finite number >= 0 (a block that failed its check) is written as 0.
QString seconds(double v);
// As an xs:duration: "PT12.345S".
QString duration(double v);
// The time as files give it: at its own offset from UTC, or in UTC when that offset is no
// whole minute or beyond 14 h; invalid when it is, or lies outside the years 1 to 9999.
QDateTime zoned(const QDateTime& t);
// That time in ISO 8601 with milliseconds and the offset: "2024-05-01T10:20:30.123+09:00";
// empty when invalid.
QString dateTime(const QDateTime& t);

enum LineBreaks { KeepLineBreaks, OneLine };
// At most SpectrumLimits::maxTextChars characters (a surrogate pair is never split); every
// line break an LF or, with OneLine, a blank, and then no blanks at either end (readers
// trim such texts); other control characters blanks; characters no XML may hold U+FFFD.
QString clean(const QString& text, LineBreaks lineBreaks);

} // namespace SpectrumText
