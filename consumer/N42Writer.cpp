#include "consumer/N42Writer.h"

#include "consumer/SpectrumText.h"

#include <QUuid>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

using SpectrumText::clean;

const QString software = QStringLiteral("Tavik " TAVIK_VERSION);
// The document's UUID is derived from its content, so one run always gives the same bytes.
const QUuid documentSpace("{5b0f3c52-8d1e-4e57-9a65-2f4c1b7e9d30}");
const QString uuidPlaceholder = QUuid().toString(QUuid::WithoutBraces);

// xs:double spells the values that are no numbers its own way.
QString xsDouble(double v)
{
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return SpectrumText::number(v);
}

QString id(const char* kind, qint64 k)
{
    return QString::fromLatin1(kind) + '-' + QString::number(k);
}

void remark(QXmlStreamWriter& w, const QString& name, const QString& value)
{
    w.writeTextElement("Remark", name + ": " + value);
}

void writeInstrument(QXmlStreamWriter& w, const SpectrumRun& run)
{
    QStringList units;
    for (const SpectrumElement& e : run.elements.mid(0, SpectrumLimits::maxElements)) {
        const QString unit =
            (clean(e.unit, SpectrumText::OneLine) + ' ' + clean(e.address, SpectrumText::OneLine)).trimmed();
        if (!unit.isEmpty() && !units.contains(unit)) units << unit;
    }
    w.writeStartElement("RadInstrumentInformation");
    w.writeAttribute("id", "instrument");
    w.writeTextElement("RadInstrumentManufacturerName", "Vextron");
    w.writeTextElement("RadInstrumentModelName", "4-channel DSP units");
    w.writeTextElement("RadInstrumentDescription",
                       "DSP units: " + clean(units.join(", "), SpectrumText::OneLine));
    w.writeTextElement("RadInstrumentClassCode", "Other");
    w.writeStartElement("RadInstrumentVersion");
    w.writeTextElement("RadInstrumentComponentName", "Software");
    w.writeTextElement("RadInstrumentComponentVersion", software);
    w.writeEndElement();
    w.writeEndElement();
}

void writeDetector(QXmlStreamWriter& w, const SpectrumElement& e, int k)
{
    w.writeStartElement("RadDetectorInformation");
    w.writeAttribute("id", id("detector", k));
    const QString unit = clean(e.unit, SpectrumText::OneLine);
    remark(w, "Unit", unit);
    remark(w, "Address", clean(e.address, SpectrumText::OneLine));
    remark(w, "Channel", QString::number(e.channel));
    remark(w, "Element", QString::number(e.element));
    w.writeTextElement("RadDetectorName", (unit.isEmpty() ? "element " + QString::number(e.element) : unit) +
                                              " ch" + QString::number(e.channel));
    w.writeTextElement("RadDetectorCategoryCode", "Other");
    w.writeTextElement("RadDetectorKindCode", "Other");
    w.writeEndElement();
}

void writeCalibration(QXmlStreamWriter& w, const SpectrumCalibration& c, int k)
{
    w.writeStartElement("EnergyCalibration");
    w.writeAttribute("id", id("calibration", k));
    w.writeTextElement("CoefficientValues",
                       xsDouble(c.offset) + ' ' + xsDouble(c.gain) + ' ' + xsDouble(c.quadratic));
    w.writeEndElement();
}

void writeSpectrum(QXmlStreamWriter& w, const SpectrumElement& e, int k)
{
    w.writeStartElement("Spectrum");
    w.writeAttribute("id", id("spectrum", k));
    w.writeAttribute("radDetectorInformationReference", id("detector", k));
    w.writeAttribute("energyCalibrationReference", id("calibration", k));
    remark(w, "Real time", SpectrumText::seconds(e.realTime) + " s");
    remark(w, "Input count rate", SpectrumText::number(e.inputCountRate));
    for (const SpectrumRoi& r : e.rois.mid(0, SpectrumLimits::maxRois))
        remark(w, "ROI",
               QString::number(r.start) + ' ' + QString::number(r.end) + " sum " + QString::number(r.sum));
    w.writeTextElement("LiveTimeDuration", SpectrumText::duration(e.liveTime));
    QString counts;
    counts.reserve(e.counts.size() * 6);
    for (int i = 0; i < e.counts.size() && i < SpectrumLimits::maxChannels; ++i) {
        if (i > 0) counts += ' ';
        counts += QString::number(e.counts.at(i));
    }
    w.writeTextElement("ChannelData", counts);
    w.writeEndElement();
}

void writeMeasurement(QXmlStreamWriter& w, const SpectrumRun& run, int elements)
{
    double real = 0;
    for (int k = 0; k < elements; ++k)
        real = qMax(real, run.elements.at(k).realTime);
    w.writeStartElement("RadMeasurement");
    w.writeAttribute("id", id("measurement", run.measurement));
    remark(w, "Measurement number", QString::number(run.measurement));
    const QString start = SpectrumText::dateTime(run.start), end = SpectrumText::dateTime(run.end);
    if (!end.isEmpty()) remark(w, "End", end);
    // A text is left out when nothing of it is left to write.
    const QString preset = clean(run.presetType, SpectrumText::OneLine);
    const QString hv = clean(run.hvState, SpectrumText::OneLine);
    const QString comment = clean(run.comment, SpectrumText::KeepLineBreaks);
    if (!preset.isEmpty()) {
        remark(w, "Preset type", preset);
        remark(w, "Preset value", SpectrumText::number(run.presetValue));
    }
    if (!hv.isEmpty()) remark(w, "HV state", hv);
    if (run.hvVoltageKnown) remark(w, "HV voltage", SpectrumText::number(run.hvVoltage) + " V");
    if (!comment.isEmpty()) remark(w, "Comment", comment);
    w.writeTextElement("MeasurementClassCode", "Foreground");
    // A run read from a file that has no start (the consumer's CSV) has none to write.
    if (!start.isEmpty()) w.writeTextElement("StartDateTime", start);
    w.writeTextElement("RealTimeDuration", SpectrumText::duration(real));
    for (int k = 0; k < elements; ++k)
        writeSpectrum(w, run.elements.at(k), k);
    w.writeEndElement();
}

} // namespace

QByteArray n42Document(const SpectrumRun& run)
{
    const int elements = qMin(run.elements.size(), SpectrumLimits::maxElements);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement("RadInstrumentData");
    w.writeDefaultNamespace(N42::nameSpace);
    w.writeAttribute("n42DocUUID", uuidPlaceholder);
    w.writeTextElement("RadInstrumentDataCreatorName", software);
    writeInstrument(w, run);
    for (int k = 0; k < elements; ++k)
        writeDetector(w, run.elements.at(k), k);
    for (int k = 0; k < elements; ++k)
        writeCalibration(w, run.elements.at(k).calibration, k);
    writeMeasurement(w, run, elements);
    w.writeEndDocument();
    const QByteArray uuid = QUuid::createUuidV5(documentSpace, out).toString(QUuid::WithoutBraces).toLatin1();
    const int at = out.indexOf(uuidPlaceholder.toLatin1());
    return out.replace(at, uuid.size(), uuid);
}
