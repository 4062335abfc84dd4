#include "consumer/SpectrumFiles.h"

#include "consumer/McaCsv.h"
#include "consumer/SpectrumPlot.h"

#include <QSaveFile>

SpectrumFiles writeSpectrumFiles(const QString& base, const QString& title,
                                 const QVector<McaTransfer::Block>& blocks, const QSize& pngSize)
{
    SpectrumFiles files;
    QSaveFile csv(base + ".csv");
    if (csv.open(QIODevice::WriteOnly) && csv.write(mcaCsv(blocks)) >= 0 && csv.commit())
        files.written << csv.fileName();
    else
        files.problems << QString("cannot write %1: %2").arg(csv.fileName(), csv.errorString());
    SpectrumPlot plot;
    plot.setSpectra(title, blocks);
    QString error;
    if (plot.savePng(base + ".png", pngSize, &error))
        files.written << base + ".png";
    else
        files.problems << error;
    return files;
}
