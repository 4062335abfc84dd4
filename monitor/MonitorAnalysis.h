#pragma once

#include "analysis/CalibrationFile.h"
#include "analysis/DeadTimeAlarm.h"
#include "analysis/RoiReport.h"
#include "analysis/SumSpectrum.h"
#include "monitor/MonitorModel.h"

#include <optional>

// What the window reads off the spectra it shows, without a widget: each element's ROI
// report, its energy calibration from a calibration file or marked peaks, and its dead-time alarm.
class MonitorAnalysis
{
public:
    explicit MonitorAnalysis(double alarmPercent = 100 * Analysis::DeadTimeAlarm::defaultThreshold)
        : alarmThreshold(alarmPercent / 100)
    {
    }

    // All or nothing: the calibrations of the file, or false with `error` naming the file and
    // the line, and the calibrations held before kept.
    bool loadCalibration(const QString& path, QString* error);
    // One element's calibration, from peaks marked in the window; a file loaded later replaces it.
    void setCalibration(int element, const Analysis::Calibration& c) { calibrations[element] = c; }
    std::optional<Analysis::Calibration> calibration(int element) const;
    bool calibrated() const { return !calibrations.isEmpty(); }

    // Feeds each element's alarm once per transfer of the model; true when an alarm was raised now.
    bool follow(const MonitorModel& model);
    // The element's highest dead time in the run, in percent, when its alarm was raised.
    std::optional<double> alarm(int element) const;
    // The element's highest dead time in the run so far, in percent; empty before any transfer.
    std::optional<double> deadTimePeak(int element) const;
    double thresholdPercent() const { return 100 * alarmThreshold; }
    // The alarm in the window's words; empty while it is not raised.
    QString alarmText(int element) const;

    // The report of the element's ROI over the bins it covers.
    static Analysis::RoiReport report(const MonitorModel::Element& e);
    // The report in the window's words, keV when the element is calibrated.
    QString reportText(int element, const MonitorModel::Element& e) const;

    struct Sum
    {
        Analysis::Spectrum counts;
        std::optional<Analysis::EnergyAxis> axis; // the common keV axis of the bins; none: channels
    };
    // The selected elements summed: on a common keV axis when `inKev` and every one of them is
    // calibrated, else bin by bin in channels. Elements that do not exist are left out.
    Sum sum(const MonitorModel& model, const QVector<int>& selected, bool inKev) const;

private:
    Analysis::CalibrationTable calibrations;
    QVector<Analysis::DeadTimeAlarm> alarms;
    double alarmThreshold;
    int transfersSeen = 0;
};
