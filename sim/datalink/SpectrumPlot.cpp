#include "SpectrumPlot.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_renderer.h>
#include <qwt_scale_engine.h>

namespace {
// Empty bins cannot sit on a log axis: they are drawn on its bottom line.
constexpr double emptyBinLevel = 0.5;
const QColor curveColours[] = {Qt::blue,    Qt::red,       QColor(0, 140, 0),
                               Qt::magenta, Qt::darkCyan,  QColor(230, 130, 0),
                               Qt::black,   Qt::darkYellow};
} // namespace

SpectrumPlot::SpectrumPlot(QWidget* parent) : QwtPlot(parent)
{
    setCanvasBackground(Qt::white);
    setAxisScaleEngine(QwtPlot::yLeft, new QwtLogScaleEngine);
    setAxisTitle(QwtPlot::xBottom, "bin");
    setAxisTitle(QwtPlot::yLeft, "counts");
    insertLegend(new QwtLegend, QwtPlot::BottomLegend);
    auto* grid = new QwtPlotGrid;
    grid->setPen(QColor(220, 220, 220), 0, Qt::DotLine);
    grid->attach(this);
}

QString SpectrumPlot::labelOf(int element, const McaTransfer::Block& block)
{
    return QString("element %1 / ch %2 / real %3 s / live %4 s")
        .arg(element)
        .arg(block.channel)
        .arg(block.realTime, 0, 'g', 6)
        .arg(block.liveTime, 0, 'g', 6);
}

void SpectrumPlot::setSpectra(const QString& title, const QVector<McaTransfer::Block>& blocks)
{
    detachItems(QwtPlotItem::Rtti_PlotCurve, true);
    setTitle(title);
    quint32 highest = 1;
    for (int k = 0; k < blocks.size(); ++k) {
        const QVector<quint32>& bins = blocks.at(k).bins;
        QVector<double> x(bins.size());
        QVector<double> y(bins.size());
        for (int i = 0; i < bins.size(); ++i) {
            x[i] = i;
            y[i] = bins.at(i) > 0 ? double(bins.at(i)) : emptyBinLevel;
            highest = qMax(highest, bins.at(i));
        }
        auto* curve = new QwtPlotCurve(labelOf(k, blocks.at(k)));
        curve->setStyle(QwtPlotCurve::Steps);
        curve->setPen(curveColours[k % int(sizeof curveColours / sizeof curveColours[0])], 1);
        curve->setSamples(x, y);
        curve->attach(this);
    }
    setAxisScale(QwtPlot::xBottom, 0, McaTransfer::binCount);
    setAxisScale(QwtPlot::yLeft, emptyBinLevel, double(highest) * 2);
    replot();
}

bool SpectrumPlot::savePng(const QString& path, const QSize& size, QString* error)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QwtPlotRenderer renderer;
        renderer.render(this, &painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit()) return true;
    if (error) *error = QString("cannot write %1: %2").arg(path, file.errorString());
    return false;
}
