#pragma once

#include "dsp/McaTransfer.h"

#include <qwt_plot.h>

// Spectra on a logarithmic count axis, one curve per block, labelled with its element,
// channel, real and live time. A widget for a window, or drawn straight into a PNG file
// (which needs no display: the offscreen platform will do).
class SpectrumPlot : public QwtPlot
{
public:
    explicit SpectrumPlot(QWidget* parent = nullptr);

    void setSpectra(const QString& title, const QVector<McaTransfer::Block>& blocks);
    bool savePng(const QString& path, const QSize& size, QString* error = nullptr);

    static QString labelOf(int element, const McaTransfer::Block& block);
};
