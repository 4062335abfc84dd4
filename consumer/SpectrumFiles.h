#pragma once

#include "consumer/McaTransfer.h"

#include <QSize>
#include <QStringList>

// The spectra of one transfer on disk: `base`.csv (the CSV writer of the format library)
// and `base`.png (a SpectrumPlot drawn offscreen). The data-link consumer and the spectrum
// monitor save with this one function.
struct SpectrumFiles
{
    QStringList written;
    QStringList problems;
};

SpectrumFiles writeSpectrumFiles(const QString& base, const QString& title,
                                 const QVector<McaTransfer::Block>& blocks,
                                 const QSize& pngSize = {1000, 650});
