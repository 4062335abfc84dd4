#pragma once

#include "settings/DspData.h"

#include <QString>
#include <QVector>

class QIODevice;

// The settings file: one line per record, written as
//   DSP<i> [Ch<c> ]<label padded to 30> : <header 8 hex> <address 8 hex> <value, 4 hex or more>
// and read leniently: only the first two and the last three blank-separated items count.

constexpr int labelWidth = 30;
// A longer line is cut, and lines past the last one read are left, so that a stray file
// costs bounded memory (a unit has 212 lines).
constexpr int maxSettingsLineLength = 1024;
constexpr int maxSettingsLines = 65536;

// The text followed by blanks up to `width` characters.
QString padRight(const QString& text, int width);

// Hexadecimal digits read from the left in unsigned 32-bit arithmetic; any other character
// counts as the digit 0, so only the last 8 characters matter.
quint32 hexValue(const QString& text);

// The label of the map register at `address` (per-channel registers: less the channel's
// offset), padded; blanks only when there is none or the channel is outside the unit.
QString labelAt(quint32 address, int channel);

QString settingsLine(const DspData& record);

// False for a line that is skipped (empty, or a comment starting with '#'); every other
// line gives a record, whatever its form.
bool parseSettingsLine(const QString& line, DspData& record);

struct SettingsReadCounts
{
    int cutLines = 0;      // lines longer than maxSettingsLineLength
    bool leftOver = false; // lines after maxSettingsLines were not read
};

// Appends the records of the file's lines to `config`, each with its line number.
SettingsReadCounts readSettings(QIODevice& file, QVector<DspData>& config);
void writeSettings(QIODevice& file, const QVector<DspData>& config);
