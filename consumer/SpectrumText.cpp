#include "consumer/SpectrumText.h"

#include "consumer/SpectrumRun.h"

#include <QLocale>

#include <cmath>

namespace SpectrumText {

QString number(double v)
{
    return QLocale::c().toString(v, 'g', QLocale::FloatingPointShortest);
}

QString seconds(double v)
{
    if (!std::isfinite(v) || v <= 0) return QStringLiteral("0");
    QString text = QLocale::c().toString(v, 'f', 6);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.')) text.chop(1);
    return text;
}

QString duration(double v)
{
    return "PT" + seconds(v) + 'S';
}

QDateTime zoned(const QDateTime& t)
{
    if (!t.isValid()) return QDateTime();
    const int offset = t.offsetFromUtc();
    const QDateTime at = offset % 60 != 0 || std::abs(offset) > 14 * 3600 ? t.toUTC() : t;
    return at.date().year() < 1 || at.date().year() > 9999 ? QDateTime() : at;
}

QString dateTime(const QDateTime& t)
{
    const QDateTime at = zoned(t);
    if (!at.isValid()) return QString();
    const int offset = at.offsetFromUtc();
    const QLocale c = QLocale::c();
    const int minutes = std::abs(offset) / 60;
    return c.toString(at.date(), QStringLiteral("yyyy-MM-dd")) + 'T' +
           c.toString(at.time(), QStringLiteral("HH:mm:ss.zzz")) + (offset < 0 ? '-' : '+') +
           QString::number(minutes / 60).rightJustified(2, '0') + ':' +
           QString::number(minutes % 60).rightJustified(2, '0');
}

QString clean(const QString& text, LineBreaks lineBreaks)
{
    QString out;
    out.reserve(qMin(text.size(), SpectrumLimits::maxTextChars));
    for (int i = 0; i < text.size() && out.size() < SpectrumLimits::maxTextChars; ++i) {
        const QChar c = text.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n') ++i;
            out += lineBreaks == KeepLineBreaks ? QChar('\n') : QChar(' ');
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            out += ' ';
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (out.size() + 2 > SpectrumLimits::maxTextChars) break;
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || c.unicode() >= 0xfffe) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
    return lineBreaks == OneLine ? out.trimmed() : out;
}

} // namespace SpectrumText
