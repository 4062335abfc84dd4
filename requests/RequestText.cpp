#include "requests/RequestText.h"

#include <QByteArray>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <limits>

QString numberText(double value)
{
    return QString::number(value, 'g', 6);
}

// Answers of 4096 counts are frequent: the digits go straight into one buffer.
template <typename Count> static QByteArray joinCounts(const Count* counts, int n)
{
    constexpr int widest = std::numeric_limits<Count>::digits10 + 2; // digits and a blank
    QByteArray out(n * widest, Qt::Uninitialized);
    char* at = out.data();
    char* const end = at + out.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0) *at++ = ' ';
        at = std::to_chars(at, end, counts[i]).ptr;
    }
    out.truncate(int(at - out.data()));
    return out;
}

QString countsText(const quint32* counts, int n)
{
    const QByteArray text = joinCounts(counts, n);
    return QString::fromLatin1(text.constData(), text.size());
}

QByteArray countsLatin1(const quint32* counts, int n)
{
    return joinCounts(counts, n);
}

QString countsText(const QVector<quint64>& counts)
{
    const QByteArray text = joinCounts(counts.constData(), counts.size());
    return QString::fromLatin1(text.constData(), text.size());
}

QString numbersText(const QVector<double>& values)
{
    QStringList texts;
    texts.reserve(values.size());
    for (double v : values)
        texts << numberText(v);
    return texts.join(QLatin1Char(' '));
}

QString meanText(const QVector<double>& values)
{
    if (values.isEmpty()) return numberText(0);
    double sum = 0;
    for (double v : values)
        sum += numberText(v).toDouble();
    return numberText(sum / values.size());
}

int presetTypeFromText(const QString& text)
{
    const QString upper = text.toUpper();
    if (upper == "NONE") return 0;
    if (upper == "REAL") return 1;
    if (upper == "LIVE") return 2;
    const int t = text.toInt(nullptr, 10);
    return t < 0 ? 0 : (t > 2 ? 1 : t);
}

int normalizeTypeFromText(const QString& text, int current)
{
    const QString upper = text.toUpper();
    if (upper == "REAL" || upper == "0") return 0;
    if (upper == "LIVE" || upper == "1") return 1;
    if (upper == "NONE" || upper == "2") return 2;
    return current;
}

QString normalizeTypeName(int type)
{
    return type == 0 ? QStringLiteral("Real") : type == 1 ? QStringLiteral("Live") : QStringLiteral("None");
}

quint16 registerValueFromText(const QString& text)
{
    const qlonglong value =
        text.startsWith(QLatin1String("0x")) ? text.toLongLong(nullptr, 16) : text.toLongLong(nullptr, 10);
    return quint16(value & 0xFFFF);
}

int roiBoundFromText(const QString& text)
{
    const double v = std::trunc(text.toDouble());
    if (std::isnan(v)) return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return int(v < lowest ? lowest : (v > highest ? highest : v));
}

// Each bin widened to 64 bits, so that no sum wraps.
quint64 sumBelowEnd(const quint32* bins, int binCount, int start, int end)
{
    const int hi = qMin(end, binCount);
    quint64 total = 0;
    for (int i = qMax(start, 0); i < hi; ++i)
        total += bins[i];
    return total;
}

quint64 sumThroughEnd(const quint32* bins, int binCount, int start, int end)
{
    if (end < binCount) return sumBelowEnd(bins, binCount, start, end + 1);
    return sumBelowEnd(bins, binCount, start, binCount);
}

BinSums sumTotalAndThroughEnd(const quint32* bins, int binCount, int start, int end)
{
    const int lo = qBound(0, start, binCount);
    const int hi = end < binCount ? qBound(lo, end + 1, binCount) : binCount;
    BinSums sums;
    sums.roi = sumBelowEnd(bins, binCount, lo, hi);
    sums.total = sumBelowEnd(bins, binCount, 0, lo) + sums.roi + sumBelowEnd(bins, binCount, hi, binCount);
    return sums;
}
