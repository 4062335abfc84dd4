#pragma once

#include <QString>
#include <QStringList>

// Line and item rules shared by the configuration reader and the message parser.

// The line without its comment: the first '#' outside quotes starts it. Double quotes
// and apostrophes toggle the same "inside quotes" flag.
QString stripComment(const QString& line);

// True when nothing but white space is left once the comment is stripped.
bool isBlankLine(const QString& line);

// Splits off the first blank-separated item of `text` (a double-quoted item may hold
// blanks and '#') into `item` and returns what follows it.
QString takeFirstItem(const QString& text, QString& item);

// The same rule from position `from`: the item goes into `item`, and the position just
// after it is returned (text.size() when nothing follows).
int takeItemAt(const QString& text, int from, QString& item);

// Every item of `text` in order, in time linear in its length.
QStringList splitItems(const QString& text);

// Outside text as it may go into a log: at most logTextLimit characters, followed by a
// note of how many were left out. Logging a whole hostile line costs far more than its
// size in the log's layout.
constexpr int logTextLimit = 200;
QString clipForLog(const QString& text);

// A flag value counts as set when it reads as the decimal integer 1.
bool isFlagSet(const QString& value);
