#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line format on the server connection, as plain functions.
//
//   line   := head " " body LF            (a received line may carry CR; it is ignored)
//   head   := from ">" to                 (from, to := node ["." sub])
//   body   := item { " " item }           (first item: "@cmd" answer, "_name" event, else request)
//   log-in := server: challenge LF ; client: name " " key LF ; server: "System>" name " Ok:" ...
//
// Sent lines are Latin-1, received lines UTF-8 up to the first NUL byte.
namespace ZephraWire {

inline const QString systemNode = QStringLiteral("System");

QString formatLine(const QString& from, const QString& fromSub, const QString& to, const QString& body);
QString answerBody(const QString& cmd, const QString& text);
QString askBody(const QString& cmd, const QString& params);
QString notReady(const QString& line);

QByteArray encode(const QString& line); // Latin-1, LF appended
// The answer line "from[.sub]>to @cmd text" as encode() makes it, built in one buffer from
// a text that is Latin-1 already.
QByteArray encodeAnswer(const QString& from, const QString& fromSub, const QString& to, const QString& cmd,
                        const QByteArray& text);
QString decode(const QByteArray& raw);

// The prefix of the server's acceptance line for `name`; compared exactly.
QString okPrefix(const QString& name);

// The challenge line read as a decimal integer; 0 when it is no number.
int challengeNumber(const QString& line);

// Index of the key for `challenge` among `count` keys, always in 0..count-1: the
// remainder that is never negative, so -7 of 3 keys picks index 2 (as 2 and 5 do).
// -1 when there are no keys.
int keyIndex(int challenge, int count);

// The keys of a key file: each line, white space collapsed, in file order (a blank line is
// an empty key, and so is a line longer than maxKeyBytes). `opened` tells whether the file
// could be read: only a regular file is.
constexpr int maxKeyBytes = 64 * 1024;
QStringList readKeys(const QString& fileName, bool* opened);

} // namespace ZephraWire
