#pragma once

#include <QString>

// Line and item rules shared by the configuration reader and the message parser.

// The line without its comment: the first '#' outside quotes starts it. Double quotes
// and apostrophes toggle the same "inside quotes" flag.
QString stripComment(const QString& line);

// True when nothing but white space is left once the comment is stripped.
bool isBlankLine(const QString& line);

// Splits off the first blank-separated item of `text` (a double-quoted item may hold
// blanks and '#') into `item` and returns what follows it.
QString takeFirstItem(const QString& text, QString& item);

// A flag value counts as set when it reads as the decimal integer 1.
bool isFlagSet(const QString& value);
