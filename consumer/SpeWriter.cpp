#include "consumer/SpeWriter.h"

#include "consumer/SpectrumText.h"

#include <QLocale>

namespace {

QString oneLine(const QString& text)
{
    return SpectrumText::clean(text, SpectrumText::OneLine);
}

QString remarks(const SpectrumRun& run, const SpectrumElement& e)
{
    using namespace SpectrumText;
    QString r = "Unit: " + oneLine(e.unit) + "\nAddress: " + oneLine(e.address) +
                "\nChannel: " + QString::number(e.channel) + "\nElement: " + QString::number(e.element) +
                "\nMeasurement number: " + QString::number(run.measurement) + '\n';
    const QString start = dateTime(run.start), end = dateTime(run.end);
    if (!start.isEmpty()) r += "Start: " + start + '\n';
    if (!end.isEmpty()) r += "End: " + end + '\n';
    // A text is left out when nothing of it is left to write.
    const QString preset = oneLine(run.presetType), hv = oneLine(run.hvState), comment = oneLine(run.comment);
    if (!preset.isEmpty())
        r += "Preset type: " + preset + "\nPreset value: " + number(run.presetValue) + '\n';
    for (const SpectrumRoi& roi : e.rois.mid(0, SpectrumLimits::maxRois))
        r += "ROI: " + QString::number(roi.start) + ' ' + QString::number(roi.end) + " sum " +
             QString::number(roi.sum) + '\n';
    r += "Dead time: " + seconds(e.deadTime()) + " s\nInput count rate: " + number(e.inputCountRate) + '\n';
    if (!hv.isEmpty()) r += "HV state: " + hv + '\n';
    if (run.hvVoltageKnown) r += "HV voltage: " + number(run.hvVoltage) + " V\n";
    if (!comment.isEmpty()) r += "Comment: " + comment + '\n';
    return r;
}

} // namespace

QByteArray speDocument(const SpectrumRun& run, int element)
{
    using namespace SpectrumText;
    if (element < 0 || element >= run.elements.size()) return QByteArray();
    const SpectrumElement& e = run.elements.at(element);
    const QVector<SpectrumRoi> rois = e.rois.mid(0, SpectrumLimits::maxRois);
    const int channels = qMin(e.counts.size(), SpectrumLimits::maxChannels);
    QString head = "$SPEC_ID:\nRun " + QString::number(run.measurement) + ", unit " + oneLine(e.unit) +
                   ", channel " + QString::number(e.channel) + "\n$SPEC_REM:\n" + remarks(run, e);
    const QDateTime start = zoned(run.start); // as the Start remark has it
    if (start.isValid())
        head += "$DATE_MEA:\n" + QLocale::c().toString(start, QStringLiteral("MM/dd/yyyy HH:mm:ss")) + '\n';
    head += "$MEAS_TIM:\n" + seconds(e.liveTime) + ' ' + seconds(e.realTime) + "\n$ROI:\n" +
            QString::number(rois.size()) + '\n';
    for (const SpectrumRoi& roi : rois)
        head += QString::number(roi.start) + ' ' + QString::number(roi.end) + '\n';
    const SpectrumCalibration& c = e.calibration;
    head += "$ENER_FIT:\n" + number(c.offset) + ' ' + number(c.gain) + "\n$MCA_CAL:\n3\n" + number(c.offset) +
            ' ' + number(c.gain) + ' ' + number(c.quadratic) + "\n$DATA:\n0 " +
            QString::number(channels - 1) + '\n';
    QByteArray out = head.toUtf8();
    out.reserve(out.size() + channels * 7);
    for (int i = 0; i < channels; ++i) {
        out += QByteArray::number(e.counts.at(i));
        out += '\n';
    }
    return out;
}
