#include "analysis/ReportLine.h"

#include <QLocale>
#include <QtMath>

namespace Analysis {

namespace {

QString number(const std::optional<double>& value, int decimals)
{
    if (!value || !qIsFinite(*value)) return QString::fromLatin1(notAvailable);
    return QLocale::c().toString(*value, 'f', decimals);
}

} // namespace

QString reportLine(int element, const RoiReport& r, const std::optional<Calibration>& calibration)
{
    QString line = QStringLiteral("element=%1 roi=%2-%3 gross=%4 net=%5 net_err=%6 centroid=%7 fwhm=%8")
                       .arg(element)
                       .arg(r.start)
                       .arg(r.end)
                       .arg(number(r.gross, 0), number(r.net, 1), number(r.netError, 1),
                            number(r.centroid, 2), number(r.fwhm, 2));
    if (calibration) {
        std::optional<double> kev, width;
        if (r.centroid) kev = calibration->kev(*r.centroid);
        if (r.centroid && r.fwhm) width = calibration->widthKev(*r.centroid, *r.fwhm);
        line += QStringLiteral(" centroid_kev=%1 fwhm_kev=%2").arg(number(kev, 3), number(width, 3));
    }
    return line;
}

} // namespace Analysis
