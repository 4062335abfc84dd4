#pragma once

#include <QString>
#include <QVector>

// Parsing of request parameters and formatting of answers: plain functions without sockets.

// Real numbers in answers: 6 significant digits, the shorter of fixed or exponent notation.
QString numberText(double value);

// Counts joined by single blanks.
QString countsText(const quint32* counts, int n);
QByteArray countsLatin1(const quint32* counts, int n);
QString countsText(const QVector<quint64>& counts);

// Values formatted as numberText and joined by single blanks.
QString numbersText(const QVector<double>& values);

// The mean over the values as they are answered (rounded to 6 digits), formatted the same
// way; an empty list gives 0.
QString meanText(const QVector<double>& values);

// Preset type from NONE / REAL / LIVE (any case) or a number clamped into 0..2 (above 2 is REAL).
int presetTypeFromText(const QString& text);

// Normalize type from REAL / LIVE / NONE (any case) or 0 / 1 / 2; anything else keeps `current`.
int normalizeTypeFromText(const QString& text, int current);
QString normalizeTypeName(int type);

// A register value: "0x..." (lower-case x) is hexadecimal, anything else decimal; no
// number gives 0; only the low 16 bits are kept.
quint16 registerValueFromText(const QString& text);

// An ROI bound: the text read as a real number (0 when it is none), truncated toward zero
// and held within the 32-bit range.
int roiBoundFromText(const QString& text);

// Counts of the bins i with start <= i < end, over the bins that exist.
quint64 sumBelowEnd(const quint32* bins, int binCount, int start, int end);
// Counts of the bins i with start <= i <= end, over the bins that exist.
quint64 sumThroughEnd(const quint32* bins, int binCount, int start, int end);

// The counts of all bins and, as sumThroughEnd gives them, of an ROI, in one pass.
struct BinSums
{
    quint64 total = 0;
    quint64 roi = 0;
};
BinSums sumTotalAndThroughEnd(const quint32* bins, int binCount, int start, int end);
