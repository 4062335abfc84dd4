#pragma once

#include "analysis/Calibration.h"
#include "consumer/MonitorAnswers.h"
#include "ui_ElementPanel.h"

#include <optional>

#include <QFrame>

class QwtPlotItem;
class QwtPlotZoomer;

// One plot with a line under it: an element's spectrum, or all of them overlaid. The ROIs
// are shaded in their curve's colour. Dragging zooms, a right click shows the whole
// spectrum again, the middle button pans; while zoomed or panned, new data keep the view.
class ElementPanel : public QFrame
{
    Q_OBJECT
public:
    struct Curve
    {
        QString label;
        QVector<quint32> bins;
        int colour = 0;
        bool hasRoi = false;
        MonitorAnswers::Roi roi;
        QString roiText; // drawn at the top of the shaded zone; empty: none
    };

    explicit ElementPanel(QWidget* parent = nullptr);

    void showSpectra(const QString& title, const QVector<Curve>& curves, const QString& info, bool logScale);
    // Under the plot the ROI report and, in red, the dead-time alarm, each hidden while empty;
    // the bottom axis in keV under `kevAxis`, else in channels.
    void showAnalysis(const QString& report, const QString& alarm,
                      const std::optional<Analysis::Calibration>& kevAxis);
    SpectrumPlot* plot() const { return ui.plot; }

private:
    Ui::ElementPanel ui;
    QwtPlotZoomer* zoomer;
    QList<QwtPlotItem*> roiItems;
    std::optional<Analysis::Calibration> axis;
};
