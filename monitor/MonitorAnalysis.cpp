#include "monitor/MonitorAnalysis.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MonitorWindow", text);
}

} // namespace

bool MonitorAnalysis::loadCalibration(const QString& path, QString* error)
{
    return Analysis::CalibrationFile::read(path, McaTransfer::binCount, &calibrations, error);
}

std::optional<Analysis::Calibration> MonitorAnalysis::calibration(int element) const
{
    const auto found = calibrations.constFind(element);
    if (found == calibrations.cend()) return std::nullopt;
    return *found;
}

bool MonitorAnalysis::follow(const MonitorModel& model)
{
    if (model.transfers() == transfersSeen) return false;
    transfersSeen = model.transfers();
    const QVector<MonitorModel::Element>& elements = model.elements();
    if (alarms.size() != elements.size())
        alarms = QVector(elements.size(), Analysis::DeadTimeAlarm(alarmThreshold));
    bool raised = false;
    for (int k = 0; k < elements.size(); ++k) {
        const McaTransfer::Block& b = elements.at(k).block;
        raised |= alarms[k].feed(b.busy != 0, b.realTime, b.liveTime);
    }
    return raised;
}

std::optional<double> MonitorAnalysis::deadTimePeak(int element) const
{
    if (element < 0 || element >= alarms.size()) return std::nullopt;
    return 100 * alarms.at(element).peak();
}

std::optional<double> MonitorAnalysis::alarm(int element) const
{
    if (element < 0 || element >= alarms.size() || !alarms.at(element).raised()) return std::nullopt;
    return 100 * alarms.at(element).peak();
}

QString MonitorAnalysis::alarmText(int element) const
{
    const std::optional<double> peak = alarm(element);
    if (!peak) return QString();
    return tr("Dead time above %1 %: up to %2 % in this run").arg(thresholdPercent()).arg(*peak, 0, 'g', 3);
}

Analysis::RoiReport MonitorAnalysis::report(const MonitorModel::Element& e)
{
    // Only the bins that exist, as the ROI sum counts them.
    const Analysis::Spectrum counts = Analysis::countsOf(e.block.bins);
    return Analysis::analyzeRoi(counts, qMax(0, e.roi.start), qMin(e.roi.end, counts.size() - 1));
}

QString MonitorAnalysis::reportText(int element, const MonitorModel::Element& e) const
{
    if (!e.hasRoi || !e.filled()) return QString();
    const Analysis::RoiReport r = report(e);
    if (!r.gross) return tr("ROI %1-%2: outside the spectrum").arg(e.roi.start).arg(e.roi.end);
    QString text = tr("ROI %1-%2: gross %3").arg(e.roi.start).arg(e.roi.end).arg(*r.gross, 0, 'f', 0);
    if (!r.net) return text;
    text += tr("  net %1 ± %2").arg(*r.net, 0, 'f', 0).arg(*r.netError, 0, 'f', 0);
    if (!r.centroid) return text + tr("  no peak");
    const std::optional<Analysis::Calibration> cal = calibration(element);
    if (!cal)
        return text + tr("\ncentroid %1 ch  FWHM %2 ch").arg(*r.centroid, 0, 'f', 2).arg(*r.fwhm, 0, 'f', 2);
    return text + tr("\ncentroid %1 ch (%2 keV)  FWHM %3 ch (%4 keV)")
                      .arg(*r.centroid, 0, 'f', 2)
                      .arg(cal->kev(*r.centroid), 0, 'f', 2)
                      .arg(*r.fwhm, 0, 'f', 2)
                      .arg(cal->widthKev(*r.centroid, *r.fwhm), 0, 'f', 2);
    return text;
}

MonitorAnalysis::Sum MonitorAnalysis::sum(const MonitorModel& model, const QVector<int>& selected,
                                          bool inKev) const
{
    QVector<Analysis::Spectrum> spectra;
    QVector<Analysis::Calibration> cals;
    for (int k : selected) {
        if (k < 0 || k >= model.elements().size()) continue;
        spectra << Analysis::countsOf(model.elements().at(k).block.bins);
        if (const std::optional<Analysis::Calibration> cal = calibration(k)) cals << *cal;
    }
    Sum s;
    if (inKev && !spectra.isEmpty() && cals.size() == spectra.size()) {
        s.axis = Analysis::commonAxis(spectra, cals);
        if (s.axis && Analysis::sumOnAxis(spectra, cals, *s.axis, &s.counts)) return s;
        s.axis.reset();
    }
    s.counts = Analysis::sumChannels(spectra);
    return s;
}
