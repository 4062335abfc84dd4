#include "consumer/SpectrumFiles.h"

#include "consumer/McaCsv.h"
#include "consumer/N42Writer.h"
#include "consumer/SpeWriter.h"
#include "consumer/SpectrumBytes.h"
#include "consumer/SpectrumPlot.h"

SpectrumFiles writeSpectrumFiles(const QString& base, const QString& title,
                                 const QVector<McaTransfer::Block>& blocks, const SpectrumRun& run,
                                 const SpectrumFormats& formats, const QSize& pngSize)
{
    SpectrumFiles files;
    const auto save = [&files](const QString& path, const QByteArray& bytes) {
        const QString error = saveBytes(path, bytes);
        if (error.isEmpty())
            files.written << path;
        else
            files.problems << error;
    };
    if (formats.csv) save(base + ".csv", mcaCsv(blocks));
    if (formats.png) {
        SpectrumPlot plot;
        plot.setSpectra(title, blocks);
        QString error;
        if (plot.savePng(base + ".png", pngSize, &error))
            files.written << base + ".png";
        else
            files.problems << error;
    }
    if (formats.n42) save(base + ".n42", n42Document(run));
    for (int k = 0; formats.spe && k < run.elements.size(); ++k)
        save(QString("%1-e%2.spe").arg(base).arg(k), speDocument(run, k));
    return files;
}
