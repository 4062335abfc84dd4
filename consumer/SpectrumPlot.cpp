#include "consumer/SpectrumPlot.h"

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

QColor SpectrumPlot::colourOf(int index)
{
    const int n = int(sizeof curveColours / sizeof curveColours[0]);
    return curveColours[((index % n) + n) % n];
}

void SpectrumPlot::setSpectra(const QString& title, const QVector<McaTransfer::Block>& blocks)
{
    if (!legend()) insertLegend(new QwtLegend, QwtPlot::BottomLegend);
    setTitle(title);
    QStringList labels;
    QVector<QVector<quint32>> bins;
    for (int k = 0; k < blocks.size(); ++k) {
        labels << labelOf(k, blocks.at(k));
        bins << blocks.at(k).bins;
    }
    setCurves(labels, bins);
    showWhole();
}

void SpectrumPlot::setCurves(const QStringList& labels, const QVector<QVector<quint32>>& bins,
                             const QVector<int>& colours)
{
    detachItems(QwtPlotItem::Rtti_PlotCurve, true);
    const double floor = isLog ? emptyBinLevel : 0;
    highest = 1;
    for (int k = 0; k < bins.size(); ++k) {
        const QVector<quint32>& counts = bins.at(k);
        QVector<double> x(counts.size());
        QVector<double> y(counts.size());
        for (int i = 0; i < counts.size(); ++i) {
            x[i] = i;
            y[i] = counts.at(i) > 0 ? double(counts.at(i)) : floor;
            highest = qMax(highest, counts.at(i));
        }
        auto* curve = new QwtPlotCurve(labels.value(k));
        curve->setStyle(QwtPlotCurve::Steps);
        curve->setPen(colourOf(colours.value(k, k)), 1);
        curve->setSamples(x, y);
        curve->attach(this);
    }
}

QRectF SpectrumPlot::wholeRect() const
{
    const double bottom = isLog ? emptyBinLevel : 0;
    const double top = isLog ? double(highest) * 2 : double(highest) * 1.1;
    return QRectF(QPointF(0, bottom), QPointF(McaTransfer::binCount, top));
}

void SpectrumPlot::showWhole()
{
    const QRectF r = wholeRect();
    setAxisScale(QwtPlot::xBottom, r.left(), r.right());
    setAxisScale(QwtPlot::yLeft, r.top(), r.bottom());
    replot();
}

void SpectrumPlot::setLogScale(bool on)
{
    if (on == isLog) return;
    isLog = on;
    if (on)
        setAxisScaleEngine(QwtPlot::yLeft, new QwtLogScaleEngine);
    else
        setAxisScaleEngine(QwtPlot::yLeft, new QwtLinearScaleEngine);
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
