#pragma once

#include <QDialog>

class MonitorAnalysis;
class MonitorModel;
class QComboBox;
class QLabel;
class QTableWidget;

// The energy calibration of one element from peaks marked in its spectrum: a table of
// channels (typed, or the centroid of the element's ROI report) and their energies in keV,
// fitted by a line or a parabola. Apply sets the element's calibration, or says in red why
// it did not and changes nothing.
class PeakCalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    PeakCalibrationDialog(MonitorAnalysis& analysis, QWidget* parent = nullptr);

    // The elements to choose from, and the reports their centroids are taken from.
    void showModel(const MonitorModel& model, const QStringList& titles);

Q_SIGNALS:
    // The element's calibration was set; `text` tells which one and from how many peaks.
    void applied(const QString& text);

private:
    void addCentroid();
    void addRow(const QString& channel);
    void apply();
    void say(const QString& text, bool wrong);

    MonitorAnalysis& analysis;
    const MonitorModel* model = nullptr;
    QComboBox* elementC;
    QTableWidget* table;
    QComboBox* shapeC;
    QLabel* messageL;
};
