#pragma once

#include <QWidget>

class MonitorAnalysis;
class MonitorModel;
class PeakCalibrationDialog;
class QCheckBox;
class QLabel;

// The energy calibration in the button bar: "keV" switches the axes between channels and keV,
// "Calibration..." loads a calibration file, "Peaks..." fits one element's from marked peaks; a label of its
// own, for a line of the window, tells which one is loaded or, in red, why a file was refused (the
// calibrations held before stay).
class CalibrationBar : public QWidget
{
    Q_OBJECT
public:
    CalibrationBar(MonitorAnalysis& analysis, QWidget* parent = nullptr);

    // False when the file was refused.
    bool load(const QString& path);
    bool kevAxis() const;
    QString state() const;
    QLabel* stateLabel() const { return stateL; }
    // The elements the peaks dialog offers.
    void showElements(const MonitorModel& model, const QStringList& titles);
    PeakCalibrationDialog* peaksDialog() const { return peaksD; }

Q_SIGNALS:
    void changed();

private:
    void showState(const QString& text, const QString& toolTip, bool wrong);

    MonitorAnalysis& analysis;
    QCheckBox* kevC;
    QLabel* stateL;
    PeakCalibrationDialog* peaksD;
};
