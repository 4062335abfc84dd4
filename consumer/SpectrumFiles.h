#pragma once

#include "consumer/McaTransfer.h"
#include "consumer/SpectrumFormats.h"
#include "consumer/SpectrumRun.h"

#include <QSize>
#include <QStringList>

// The spectra of one transfer on disk, in the formats chosen: `base`.csv (the CSV writer of
// the format library), `base`.png (a SpectrumPlot drawn offscreen), `base`.n42 and one
// `base`-eK.spe per element k (the run's). Each file is whole or not there. The data-link
// consumer, the spectrum monitor and its run recorder save with this one function.
struct SpectrumFiles
{
    QStringList written;
    QStringList problems;
};

SpectrumFiles writeSpectrumFiles(const QString& base, const QString& title,
                                 const QVector<McaTransfer::Block>& blocks, const SpectrumRun& run,
                                 const SpectrumFormats& formats, const QSize& pngSize = {1000, 650});
