#pragma once

#include "consumer/McaTransfer.h"

#include <qwt_plot.h>

// Spectra on a logarithmic (or linear) count axis, one curve per spectrum. A widget for a
// window, or drawn straight into a PNG file (which needs no display: the offscreen
// platform will do).
class SpectrumPlot : public QwtPlot
{
public:
    explicit SpectrumPlot(QWidget* parent = nullptr);

    // The blocks of a transfer, each labelled with its element, channel, real and live time,
    // on the whole range.
    void setSpectra(const QString& title, const QVector<McaTransfer::Block>& blocks);
    // Curves only; the axes stay as they are. `colours` picks each curve's colour index.
    void setCurves(const QStringList& labels, const QVector<QVector<quint32>>& bins,
                   const QVector<int>& colours = {});
    // Both axes over the whole spectra drawn now.
    void showWhole();
    QRectF wholeRect() const;
    void setLogScale(bool on);
    bool logScale() const { return isLog; }
    bool savePng(const QString& path, const QSize& size, QString* error = nullptr);

    static QString labelOf(int element, const McaTransfer::Block& block);
    static QColor colourOf(int index);

private:
    bool isLog = true;
    quint32 highest = 1;
};
