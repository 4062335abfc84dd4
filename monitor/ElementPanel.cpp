#include "monitor/ElementPanel.h"

#include "monitor/KevAxis.h"

#include <qwt_legend.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_panner.h>
#include <qwt_plot_zoneitem.h>
#include <qwt_plot_zoomer.h>

#include <QPen>

namespace {
constexpr int zoneAlpha = 45;
} // namespace

ElementPanel::ElementPanel(QWidget* parent) : QFrame(parent)
{
    ui.setupUi(this);
    zoomer = new QwtPlotZoomer(QwtPlot::xBottom, QwtPlot::yLeft, ui.plot->canvas());
    // The middle button belongs to the panner; zooming out step by step is Ctrl + right.
    zoomer->setMousePattern(QwtEventPattern::MouseSelect3, Qt::RightButton, Qt::ControlModifier);
    auto* panner = new QwtPlotPanner(ui.plot->canvas());
    panner->setMouseButton(Qt::MiddleButton);
    // A panned view goes on the zoom stack, so that a right click leads back to the whole.
    connect(panner, &QwtPlotPanner::panned, this, [this] {
        const QwtInterval x = ui.plot->axisInterval(QwtPlot::xBottom);
        const QwtInterval y = ui.plot->axisInterval(QwtPlot::yLeft);
        zoomer->zoom(QRectF(QPointF(x.minValue(), y.minValue()), QPointF(x.maxValue(), y.maxValue())));
    });
    ui.report->hide();
    ui.alarm->hide();
}

void ElementPanel::showAnalysis(const QString& report, const QString& alarm,
                                const std::optional<Analysis::Calibration>& kevAxis)
{
    ui.report->setText(report);
    ui.report->setVisible(!report.isEmpty());
    ui.alarm->setText(alarm);
    ui.alarm->setVisible(!alarm.isEmpty());
    if (kevAxis == axis) return;
    axis = kevAxis;
    KevAxis::apply(ui.plot, axis);
}

void ElementPanel::showSpectra(const QString& title, const QVector<Curve>& curves, const QString& info,
                               bool logScale)
{
    const bool rescaled = logScale != ui.plot->logScale();
    ui.plot->setLogScale(logScale);
    ui.plot->setTitle(title);
    QStringList labels;
    QVector<QVector<quint32>> bins;
    QVector<int> colours;
    for (const Curve& c : curves) {
        labels << c.label;
        bins << c.bins;
        colours << c.colour;
    }
    ui.plot->setCurves(labels, bins, colours);
    if (curves.size() > 1 && !ui.plot->legend()) ui.plot->insertLegend(new QwtLegend, QwtPlot::RightLegend);

    for (QwtPlotItem* item : roiItems)
        delete item; // detaches itself
    roiItems.clear();
    for (const Curve& c : curves) {
        if (!c.hasRoi) continue;
        QColor colour = SpectrumPlot::colourOf(c.colour);
        colour.setAlpha(zoneAlpha);
        auto* zone = new QwtPlotZoneItem;
        zone->setOrientation(Qt::Vertical);
        // Bin i is drawn over [i, i + 1).
        zone->setInterval(qBound(0, c.roi.start, 4096), qBound(0, c.roi.end + 1, 4096));
        zone->setBrush(colour);
        zone->setPen(QPen(Qt::NoPen));
        zone->attach(ui.plot);
        roiItems << zone;
        if (c.roiText.isEmpty()) continue;
        auto* label = new QwtPlotMarker;
        label->setLineStyle(QwtPlotMarker::VLine);
        label->setLinePen(QPen(Qt::NoPen));
        label->setValue(qBound(0, c.roi.start, 4096), 1); // y only needs to be on a log axis
        QwtText text(c.roiText);
        text.setColor(Qt::black); // else drawn with the line's pen, which is none
        text.setBackgroundBrush(QColor(255, 255, 255, 190));
        label->setLabel(text);
        label->setLabelAlignment(Qt::AlignTop | Qt::AlignRight);
        label->attach(ui.plot);
        roiItems << label;
    }

    if (rescaled || zoomer->zoomRectIndex() == 0) {
        ui.plot->showWhole();
        zoomer->setZoomBase(false);
    } else {
        ui.plot->replot();
    }
    ui.info->setText(info);
}
