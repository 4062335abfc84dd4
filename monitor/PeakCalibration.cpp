#include "monitor/PeakCalibration.h"

#include "analysis/CalibrationFit.h"

#include <QCoreApplication>
#include <QLocale>

namespace PeakCalibration {

namespace {

constexpr int maxShown = 40; // characters of a wrong cell quoted back

QString tr(const char* text)
{
    return QCoreApplication::translate("MonitorWindow", text);
}

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && qIsFinite(value) ? std::optional(value) : std::nullopt;
}

Result refused(const QString& message)
{
    Result r;
    r.message = message;
    return r;
}

} // namespace

Result fit(const QVector<Row>& rows, bool parabola, int binCount)
{
    QVector<Analysis::CalibrationPoint> points;
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows.at(i);
        if (row.channel.trimmed().isEmpty() && row.kev.trimmed().isEmpty()) continue;
        const std::optional<double> channel = number(row.channel), kev = number(row.kev);
        if (!channel || *channel < 0 || *channel > binCount - 1)
            return refused(tr("Row %1: the channel \"%2\" is not a number from 0 to %3")
                               .arg(i + 1)
                               .arg(row.channel.left(maxShown))
                               .arg(binCount - 1));
        if (!kev)
            return refused(tr("Row %1: the energy \"%2\" is not a number of keV")
                               .arg(i + 1)
                               .arg(row.kev.left(maxShown)));
        points << Analysis::CalibrationPoint{*channel, *kev};
    }
    const int needed = parabola ? 3 : 2;
    if (points.size() < needed)
        return refused(
            tr("Peaks marked: %1; a line needs 2 or more, a parabola 3 or more").arg(points.size()));
    Result r;
    Analysis::Calibration calibration;
    QString error;
    if (!Analysis::fitCalibration(
            points, parabola ? Analysis::CalibrationShape::Parabola : Analysis::CalibrationShape::Line,
            binCount, &calibration, &error))
        return refused(error);
    r.calibration = calibration;
    r.peaks = points.size();
    r.message = tr("From %1 peaks: E = %2 + %3 × ch + %4 × ch² keV")
                    .arg(r.peaks)
                    .arg(calibration.offset, 0, 'g', 6)
                    .arg(calibration.gain, 0, 'g', 6)
                    .arg(calibration.quad, 0, 'g', 6);
    return r;
}

} // namespace PeakCalibration
