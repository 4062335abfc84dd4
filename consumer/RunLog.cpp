#include "consumer/RunLog.h"

#include "consumer/SpectrumText.h"

namespace {

using namespace SpectrumText;

QString text(const QString& value)
{
    const QString v = clean(value, OneLine);
    const bool quote = v.contains(',') || v.contains('"') || v.startsWith(' ') || v.endsWith(' ');
    return quote ? '"' + QString(v).replace('"', "\"\"") + '"' : v;
}

QString optionalNumber(const std::optional<double>& value)
{
    return value ? number(*value) : QString();
}

// One column each: its name, and its cell of a run, an element or an ROI.
struct RunColumn
{
    const char* name;
    QString (*cell)(const SpectrumRun&);
};
struct ElementColumn
{
    const char* name;
    QString (*cell)(const SpectrumElement&);
};
struct RoiColumn
{
    const char* name;
    QString (*cell)(const SpectrumElement&, const SpectrumRoi&);
};

const RunColumn runColumns[] = {
    {"measurement", [](const SpectrumRun& r) { return QString::number(r.measurement); }},
    {"run counter", [](const SpectrumRun& r) { return QString::number(r.runCounter); }},
    {"start", [](const SpectrumRun& r) { return dateTime(r.start); }},
    {"end", [](const SpectrumRun& r) { return dateTime(r.end); }},
    {"preset type", [](const SpectrumRun& r) { return text(r.presetType); }},
    {"preset value", [](const SpectrumRun& r) { return number(r.presetValue); }},
    {"hv state", [](const SpectrumRun& r) { return text(r.hvState); }},
    {"hv voltage V", [](const SpectrumRun& r) { return r.hvVoltageKnown ? number(r.hvVoltage) : QString(); }},
    {"comment", [](const SpectrumRun& r) { return text(r.comment); }},
};

const ElementColumn elementColumns[] = {
    {"unit", [](const SpectrumElement& e) { return text(e.unit); }},
    {"channel", [](const SpectrumElement& e) { return QString::number(e.channel); }},
    {"real s", [](const SpectrumElement& e) { return seconds(e.realTime); }},
    {"live s", [](const SpectrumElement& e) { return seconds(e.liveTime); }},
    {"dead s", [](const SpectrumElement& e) { return seconds(e.deadTime()); }},
    {"icr", [](const SpectrumElement& e) { return number(e.inputCountRate); }},
    {"counts", [](const SpectrumElement& e) { return QString::number(e.totalCounts()); }},
    {"dead peak %", [](const SpectrumElement& e) { return optionalNumber(e.deadTimePeak); }},
};

const RoiColumn roiColumns[] = {
    {"start", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.start); }},
    {"end", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.end); }},
    {"sum", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.sum); }},
    {"net", [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.net); }},
    {"net err", [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.netError); }},
    {"centroid", [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.centroid); }},
    {"fwhm", [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.fwhm); }},
    {"centroid keV",
     [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.centroidKev); }},
    {"fwhm keV", [](const SpectrumElement&, const SpectrumRoi& r) { return optionalNumber(r.fwhmKev); }},
};

// The header's names, or the run's cells, in column order.
QByteArray row(const SpectrumRun& run, bool names)
{
    QStringList cells;
    for (const RunColumn& c : runColumns)
        cells << (names ? QString(c.name) : c.cell(run));
    for (int k = 0; k < run.elements.size() && k < SpectrumLimits::maxElements; ++k) {
        const SpectrumElement& e = run.elements.at(k);
        const QString group = 'e' + QString::number(k) + ' ';
        for (const ElementColumn& c : elementColumns)
            cells << (names ? group + c.name : c.cell(e));
        for (int r = 0; r < e.rois.size() && r < SpectrumLimits::maxRois; ++r)
            for (const RoiColumn& c : roiColumns)
                cells << (names ? group + "roi" + QString::number(r) + ' ' + c.name
                                : c.cell(e, e.rois.at(r)));
    }
    return (cells.join(',') + '\n').toUtf8();
}

// The cells of one CSV line, quotes undone.
QStringList cellsOf(const QString& line)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted && c == '"' && i + 1 < line.size() && line.at(i + 1) == '"') {
            cell += c;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells << cell;
            cell.clear();
        } else {
            cell += c;
        }
    }
    return cells << cell;
}

// The columns that tell one run from another: its numbers, and what each element counted.
QVector<int> keyColumns(const QStringList& names)
{
    QVector<int> columns{names.indexOf("measurement"), names.indexOf("run counter")};
    for (int k = 0;; ++k) {
        const QString group = 'e' + QString::number(k) + ' ';
        const int real = names.indexOf(group + "real s");
        if (real < 0) break;
        columns << real << names.indexOf(group + "live s") << names.indexOf(group + "counts");
    }
    return columns;
}

} // namespace

QSet<QString> runLogKeys(const QByteArray& file)
{
    QSet<QString> keys;
    const QList<QByteArray> lines = file.split('\n');
    const QStringList names = cellsOf(QString::fromUtf8(lines.first()).trimmed());
    const QVector<int> columns = keyColumns(names);
    if (columns.contains(-1)) return keys;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = cellsOf(QString::fromUtf8(lines.at(i)).trimmed());
        if (cells.size() != names.size()) continue; // a line cut short, or the empty last one
        QStringList key;
        for (const int c : columns)
            key << cells.at(c);
        keys.insert(key.join(','));
    }
    return keys;
}

QString runLogKey(const SpectrumRun& run)
{
    const QSet<QString> keys = runLogKeys(runLogHeader(run) + runLogLine(run));
    return keys.isEmpty() ? QString() : *keys.begin();
}

QByteArray runLogHeader(const SpectrumRun& shape)
{
    return row(shape, true);
}

QByteArray runLogLine(const SpectrumRun& run)
{
    return row(run, false);
}
