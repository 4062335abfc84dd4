#include "consumer/SpectrumParse.h"

#include "consumer/SpectrumRun.h"

#include <QLocale>

#include <climits>
#include <cmath>

namespace SpectrumParse {

static QLocale strictC()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    return c;
}

bool nextWord(const QString& text, int* at, QStringRef* word)
{
    int i = *at;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const int from = i;
    while (i < text.size() && !text.at(i).isSpace())
        ++i;
    *at = i;
    *word = text.midRef(from, i - from);
    return i > from;
}

QVector<QStringRef> words(const QString& text)
{
    QVector<QStringRef> items;
    QStringRef word;
    for (int at = 0; nextWord(text, &at, &word);)
        items << word;
    return items;
}

bool real(const QStringRef& text, double* v)
{
    bool ok = false;
    *v = strictC().toDouble(text, &ok);
    return ok;
}

bool count(const QStringRef& text, quint32* v)
{
    bool ok = false;
    *v = strictC().toUInt(text, &ok);
    if (ok) return true;
    double d;
    if (!real(text, &d) || !(d >= 0 && d <= 4294967295.0) || d != std::floor(d)) return false;
    *v = quint32(d);
    return true;
}

bool integer(const QStringRef& text, int* v)
{
    bool ok = false;
    *v = strictC().toInt(text, &ok);
    return ok;
}

bool integer(double real, int* v)
{
    if (!(real >= INT_MIN && real <= INT_MAX) || real != std::floor(real)) return false;
    *v = int(real);
    return true;
}

bool isTime(double v)
{
    return std::isfinite(v) && v >= 0;
}

bool duration(const QString& text, double* seconds)
{
    // [-]P[nD][T[nH][nM][n[.n]S]]: a number, then its designator.
    int i = 0;
    const bool negative = text.startsWith('-');
    if (negative) ++i;
    if (text.midRef(i, 1) != QLatin1String("P")) return false;
    ++i;
    bool inTime = false, any = false;
    double total = 0;
    QString order = QStringLiteral("D"); // designators still allowed, in order
    while (i < text.size()) {
        if (text.at(i) == 'T' && !inTime) {
            inTime = true;
            order = QStringLiteral("HMS");
            if (++i == text.size()) return false;
            continue;
        }
        const int from = i;
        while (i < text.size() && (text.at(i).isDigit() || text.at(i) == '.'))
            ++i;
        if (i == from || i == text.size()) return false;
        const int at = order.indexOf(text.at(i));
        double n;
        if (at < 0 || !real(text.midRef(from, i - from), &n)) return false;
        if (text.at(i) != 'S' && text.midRef(from, i - from).contains('.')) return false;
        total += n * (text.at(i) == 'D' ? 86400 : text.at(i) == 'H' ? 3600 : text.at(i) == 'M' ? 60 : 1);
        order = order.mid(at + 1);
        any = true;
        ++i;
    }
    if (!any) return false;
    *seconds = negative ? -total : total;
    return true;
}

bool dateTime(const QString& text, QDateTime* t)
{
    if (text.size() > 64 || text.size() < 19) return false;
    *t = QDateTime::fromString(text, Qt::ISODate);
    return t->isValid();
}

bool namedValue(const QString& line, QString* name, QString* value)
{
    const int colon = line.indexOf(QLatin1String(": "));
    if (colon < 0) return false;
    *name = line.left(colon).trimmed();
    *value = line.mid(colon + 2);
    return true;
}

bool applyRemark(const QString& remark, SpectrumRun& run, SpectrumElement& e)
{
    QString name, value;
    if (!namedValue(capped(remark), &name, &value)) return true;
    const QString v = value.trimmed();
    const QVector<QStringRef> items = words(v);
    const auto is = [&name](const char* key) { return name == QLatin1String(key); };
    if (is("Measurement number")) return count(&v, &run.measurement);
    if (is("Start")) return dateTime(v, &run.start);
    if (is("End")) return dateTime(v, &run.end);
    if (is("Preset type")) run.presetType = v;
    if (is("Preset value")) return real(&v, &run.presetValue);
    if (is("HV state")) run.hvState = v;
    if (is("HV voltage")) {
        run.hvVoltageKnown = true;
        return items.size() == 2 && items.at(1) == QLatin1String("V") && real(items.at(0), &run.hvVoltage);
    }
    if (is("Comment")) run.comment = capped(value);
    if (is("Unit")) e.unit = capped(v);
    if (is("Address")) e.address = capped(v);
    if (is("Channel")) return integer(&v, &e.channel);
    if (is("Element")) return integer(&v, &e.element);
    if (is("Real time"))
        return items.size() == 2 && items.at(1) == QLatin1String("s") && real(items.at(0), &e.realTime) &&
               isTime(e.realTime);
    if (is("Input count rate")) return real(&v, &e.inputCountRate);
    if (is("ROI")) {
        // "start end sum N"
        SpectrumRoi roi;
        bool sumRead = false;
        if (items.size() == 4 && items.at(2) == QLatin1String("sum"))
            roi.sum = items.at(3).toULongLong(&sumRead);
        e.rois << roi;
        return sumRead && integer(items.at(0), &e.rois.last().start) &&
               integer(items.at(1), &e.rois.last().end) && e.rois.size() <= SpectrumLimits::maxRois;
    }
    return true;
}

QString capped(const QString& text)
{
    if (text.size() <= SpectrumLimits::maxTextChars) return text;
    const int cut =
        SpectrumLimits::maxTextChars - (text.at(SpectrumLimits::maxTextChars - 1).isHighSurrogate() ? 1 : 0);
    return text.left(cut);
}

QString quoted(const QStringRef& text)
{
    const QString shown = text.left(40).toString();
    return '"' + shown + (text.size() > 40 ? "...\"" : "\"");
}

} // namespace SpectrumParse
