#include "monitor/SumWindow.h"

#include "monitor/ElementPanel.h"
#include "monitor/MonitorAnalysis.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QtMath>

SumWindow::SumWindow(const MonitorAnalysis& analysis, QWidget* parent)
    : QWidget(parent, Qt::Window), analysis(analysis), elementList(new QListWidget),
      sumPanel(new ElementPanel)
{
    setWindowTitle(tr("Sum spectrum"));
    elementList->setMaximumWidth(200);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(elementList);
    layout->addWidget(sumPanel, 1);
    resize(900, 450);
    connect(elementList, &QListWidget::itemChanged, this, &SumWindow::selectionChanged);
}

void SumWindow::showModel(const MonitorModel& model, const QStringList& titles, bool inKev, bool logScale)
{
    const QSignalBlocker quiet(elementList);
    while (elementList->count() > titles.size())
        delete elementList->takeItem(elementList->count() - 1);
    QVector<int> selected;
    for (int k = 0; k < titles.size(); ++k) {
        if (k == elementList->count()) {
            elementList->addItem(titles.at(k));
            elementList->item(k)->setCheckState(Qt::Unchecked);
        }
        elementList->item(k)->setText(titles.at(k));
        if (elementList->item(k)->checkState() == Qt::Checked) selected << k;
    }
    const MonitorAnalysis::Sum sum = analysis.sum(model, selected, inKev);
    // Shares of counts on a keV axis are drawn rounded.
    QVector<quint32> bins(sum.counts.size());
    for (int i = 0; i < bins.size(); ++i)
        bins[i] = quint32(qRound64(qBound(0.0, sum.counts.at(i), 4294967295.0)));
    QString info = tr("Tick the elements to sum.");
    if (!selected.isEmpty() && sum.axis)
        info = tr("Elements summed: %1, on a common axis of %2 keV per bin")
                   .arg(selected.size())
                   .arg(sum.axis->binWidth, 0, 'g', 4);
    else if (!selected.isEmpty())
        info = tr("Elements summed: %1, bin by bin in channels").arg(selected.size());
    sumPanel->showSpectra(tr("Sum"), {ElementPanel::Curve{tr("Sum"), bins, 0, false, {}, QString()}}, info,
                          logScale);
    sumPanel->showAnalysis(QString(), QString(),
                           sum.axis ? std::optional(sum.axis->calibration()) : std::nullopt);
}
