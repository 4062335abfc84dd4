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
};

const RoiColumn roiColumns[] = {
    {"start", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.start); }},
    {"end", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.end); }},
    {"sum", [](const SpectrumElement&, const SpectrumRoi& r) { return QString::number(r.sum); }},
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

} // namespace

QByteArray runLogHeader(const SpectrumRun& shape)
{
    return row(shape, true);
}

QByteArray runLogLine(const SpectrumRun& run)
{
    return row(run, false);
}
