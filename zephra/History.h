#pragma once

#include <QString>
#include <QStringList>

// The record of edited server addresses, "OrvelHistory.dat" in the working folder:
// appended lines "A: <host>" and "P: <port>".
namespace History {

inline const QString fileName = QStringLiteral("OrvelHistory.dat");
constexpr int maxLineBytes = 1024; // far above any host name; a longer line is skipped

// The last host and port entries of `lines`; a kind without entry is left empty.
void parse(const QStringList& lines, QString& host, QString& port);

// parse() over the file; both stay empty when it cannot be read.
void read(QString& host, QString& port);

// Appends `text` to the file, creating it; a failure is silent.
void append(const QString& text);

} // namespace History
