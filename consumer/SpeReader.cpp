#include "consumer/SpeReader.h"

#include "consumer/SpectrumParse.h"
#include "requests/RequestText.h"

#include <QSet>

namespace {

struct Line
{
    int number = 0;
    QString text;
};

// Reads the file line by line; only the few lines of the short sections are kept.
class SpeParse
{
public:
    SpectrumRead read(const QByteArray& bytes);

private:
    bool fail(const Line& line, const QString& what);
    void take(const Line& line);
    void dataLine(const Line& line);
    void endSection();
    bool numbers(const Line& line, int count, double* v);
    void readRois();
    void readDate();
    void readShort();

    QString error;
    SpectrumRun run;
    SpectrumElement e;
    QString name; // of the section being read
    Line head;    // its $ line
    QVector<Line> lines;
    int channels = -1; // of $DATA:, once its first line is read
    bool haveStart = false, haveRoiSection = false, haveMcaCal = false;
    QVector<SpectrumRoi> roiSection;
};

bool SpeParse::fail(const Line& line, const QString& what)
{
    if (error.isEmpty()) error = QString("line %1: %2").arg(line.number).arg(what);
    return false;
}

// The first `count` blank-separated items of the line as numbers; more may follow.
bool SpeParse::numbers(const Line& line, int count, double* v)
{
    int at = 0;
    QStringRef item;
    for (int i = 0; i < count; ++i)
        if (!SpectrumParse::nextWord(line.text, &at, &item) || !SpectrumParse::real(item, &v[i]))
            return fail(line,
                        QString("%1 numbers expected, not ").arg(count) + SpectrumParse::quoted(&line.text));
    return true;
}

void SpeParse::dataLine(const Line& line)
{
    if (channels < 0) {
        double range[2];
        int last;
        if (!numbers(line, 2, range)) return;
        if (range[0] != 0 || !SpectrumParse::integer(range[1], &last) || last < 0 ||
            last >= SpectrumLimits::maxChannels) {
            fail(line, QString("$DATA: channels 0 to at most %1 expected, not ")
                               .arg(SpectrumLimits::maxChannels - 1) +
                           SpectrumParse::quoted(&line.text));
            return;
        }
        channels = last + 1;
        e.counts.reserve(channels);
        return;
    }
    QStringRef item;
    for (int at = 0; SpectrumParse::nextWord(line.text, &at, &item);) {
        quint32 c;
        if (!SpectrumParse::count(item, &c)) {
            fail(line, SpectrumParse::quoted(item) + " is no count");
            return;
        }
        if (e.counts.size() == channels) {
            fail(line, QString("more than %1 counts").arg(channels));
            return;
        }
        e.counts << c;
    }
}

void SpeParse::readRois()
{
    double real;
    int n;
    if (!numbers(lines.first(), 1, &real)) return;
    if (!SpectrumParse::integer(real, &n) || n < 0 || n > SpectrumLimits::maxRois || lines.size() < 1 + n) {
        fail(lines.first(),
             QString("$ROI: up to %1 ROIs expected, each on a line of its own").arg(SpectrumLimits::maxRois));
        return;
    }
    for (int r = 1; r <= n; ++r) {
        double b[2];
        SpectrumRoi roi;
        if (!numbers(lines.at(r), 2, b)) return;
        if (!SpectrumParse::integer(b[0], &roi.start) || !SpectrumParse::integer(b[1], &roi.end)) {
            fail(lines.at(r), "ROI bounds that are no channels");
            return;
        }
        roiSection << roi;
    }
    haveRoiSection = true;
}

void SpeParse::readDate()
{
    // mm/dd/yyyy hh:mm:ss, also with '-' in the date
    const QString t = lines.first().text.trimmed();
    QString fields = t.left(64);
    fields.replace('/', ' ').replace('-', ' ').replace(':', ' ');
    const QVector<QStringRef> p = SpectrumParse::words(fields);
    int v[6];
    bool ok = p.size() == 6 && t.size() <= 64;
    for (int i = 0; ok && i < 6; ++i)
        ok = SpectrumParse::integer(p.at(i), &v[i]);
    const QDateTime at(ok ? QDate(v[2], v[0], v[1]) : QDate(), ok ? QTime(v[3], v[4], v[5]) : QTime());
    if (!at.isValid())
        fail(lines.first(), "$DATE_MEA: " + SpectrumParse::quoted(&t) + " is no mm/dd/yyyy hh:mm:ss");
    else if (!haveStart)
        run.start = at;
}

void SpeParse::readShort()
{
    if (name == QLatin1String("$ROI:")) return readRois();
    if (name == QLatin1String("$DATE_MEA:")) return readDate();
    if (name == QLatin1String("$MEAS_TIM:")) {
        double t[2];
        if (!numbers(lines.first(), 2, t)) return;
        if (!SpectrumParse::isTime(t[0]) || !SpectrumParse::isTime(t[1]))
            fail(lines.first(), "a time below zero");
        e.liveTime = t[0];
        e.realTime = t[1];
    } else if (name == QLatin1String("$ENER_FIT:") && !haveMcaCal) {
        double c[2];
        if (numbers(lines.first(), 2, c)) e.calibration = {c[0], c[1], 0};
    } else if (name == QLatin1String("$MCA_CAL:")) {
        double real, c[3] = {0, 0, 0};
        int n;
        if (!numbers(lines.first(), 1, &real)) return;
        if (!SpectrumParse::integer(real, &n) || n < 1 || n > 3 || lines.size() < 2)
            fail(lines.first(), "$MCA_CAL: 1 to 3 coefficients on the next line expected");
        else if (numbers(lines.at(1), n, c)) {
            e.calibration = {c[0], c[1], c[2]};
            haveMcaCal = true;
        }
    }
}

void SpeParse::endSection()
{
    if (name == QLatin1String("$DATA:") && e.counts.size() < channels)
        fail(head, QString("$DATA: %1 counts, not %2").arg(e.counts.size()).arg(channels));
    else if (name == QLatin1String("$DATA:") && channels < 0)
        fail(head, "$DATA: without its channels");
    else if (!lines.isEmpty())
        readShort();
}

void SpeParse::take(const Line& line)
{
    if (line.text.trimmed().isEmpty() || name.isEmpty()) return;
    if (name == QLatin1String("$DATA:")) {
        dataLine(line);
    } else if (name == QLatin1String("$SPEC_REM:")) {
        if (!SpectrumParse::applyRemark(line.text, run, e))
            fail(line, "remark " + SpectrumParse::quoted(&line.text) + " cannot be read");
        haveStart = haveStart || line.text.startsWith(QLatin1String("Start: "));
    } else if (lines.size() <= SpectrumLimits::maxRois) {
        lines << line;
    }
}

SpectrumRead SpeParse::read(const QByteArray& bytes)
{
    if (bytes.size() > SpectrumLimits::maxFileBytes)
        return {SpectrumRun(),
                QString("%1 bytes, more than %2").arg(bytes.size()).arg(SpectrumLimits::maxFileBytes)};
    QSet<QString> seen;
    int number = 0;
    for (int from = 0; from < bytes.size() && error.isEmpty();) {
        int to = bytes.indexOf('\n', from);
        if (to < 0) to = bytes.size();
        const int end = to > from && bytes.at(to - 1) == '\r' ? to - 1 : to;
        ++number;
        if (end == from) { // nothing to read, and files of empty lines are read fast
            from = to + 1;
            continue;
        }
        const Line line{number, QString::fromUtf8(bytes.constData() + from, end - from)};
        from = to + 1;
        if (!line.text.startsWith('$')) {
            take(line);
            continue;
        }
        endSection();
        name = SpectrumParse::capped(line.text.trimmed());
        head = line;
        lines.clear();
        if (seen.contains(name)) fail(line, "a second " + SpectrumParse::quoted(&name));
        seen << name;
    }
    if (error.isEmpty()) endSection();
    if (error.isEmpty() && !seen.contains("$DATA:")) error = "no $DATA: section";
    if (!error.isEmpty()) return {SpectrumRun(), error};

    // Bounds from $ROI: when there is one; sums from the remark of the same bounds.
    if (haveRoiSection) {
        QVector<SpectrumRoi> remarked = e.rois;
        e.rois = roiSection;
        for (SpectrumRoi& r : e.rois) {
            int at = 0;
            while (at < remarked.size() && (remarked.at(at).start != r.start || remarked.at(at).end != r.end))
                ++at;
            r.sum = at < remarked.size()
                        ? remarked.takeAt(at).sum
                        : sumThroughEnd(e.counts.constData(), e.counts.size(), r.start, r.end);
        }
    }
    run.elements = {e};
    return {run, QString()};
}

} // namespace

SpectrumRead readSpe(const QByteArray& bytes)
{
    return SpeParse().read(bytes);
}
