#include "monitor/PeakCalibrationDialog.h"

#include "monitor/MonitorAnalysis.h"
#include "monitor/PeakCalibration.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

PeakCalibrationDialog::PeakCalibrationDialog(MonitorAnalysis& analysis, QWidget* parent)
    : QDialog(parent), analysis(analysis), elementC(new QComboBox), table(new QTableWidget(0, 2)),
      shapeC(new QComboBox), messageL(new QLabel)
{
    setWindowTitle(tr("Calibration from marked peaks"));
    table->setObjectName("peaks");
    table->setHorizontalHeaderLabels({tr("Channel"), tr("Energy / keV")});
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    shapeC->addItems({tr("Line (2 or more peaks)"), tr("Parabola (3 or more peaks)")});
    messageL->setTextFormat(Qt::PlainText);
    messageL->setWordWrap(true);
    auto* addB = new QPushButton(tr("Add ROI centroid"));
    addB->setObjectName("addCentroid");
    addB->setToolTip(tr("A row with the centroid of the element's ROI report; type its energy"));
    auto* rowB = new QPushButton(tr("Add row"));
    auto* removeB = new QPushButton(tr("Remove row"));
    auto* applyB = new QPushButton(tr("Apply"));
    applyB->setObjectName("apply");
    auto* closeB = new QPushButton(tr("Close"));
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* b : {addB, rowB, removeB})
        rowButtons->addWidget(b);
    auto* endButtons = new QHBoxLayout;
    endButtons->addStretch();
    endButtons->addWidget(applyB);
    endButtons->addWidget(closeB);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Element"), elementC);
    layout->addRow(table);
    layout->addRow(rowButtons);
    layout->addRow(tr("Shape"), shapeC);
    layout->addRow(messageL);
    layout->addRow(endButtons);
    resize(460, 400);
    // Peaks belong to the element they were marked in.
    connect(elementC, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        table->setRowCount(0);
        say(QString(), false);
    });
    connect(addB, &QPushButton::clicked, this, &PeakCalibrationDialog::addCentroid);
    connect(rowB, &QPushButton::clicked, this, [this] { addRow(QString()); });
    connect(removeB, &QPushButton::clicked, this, [this] { table->removeRow(table->currentRow()); });
    connect(applyB, &QPushButton::clicked, this, &PeakCalibrationDialog::apply);
    connect(closeB, &QPushButton::clicked, this, &QDialog::close);
}

void PeakCalibrationDialog::showModel(const MonitorModel& m, const QStringList& titles)
{
    model = &m;
    // An element gone takes its peaks with it (the index changes, and with it the table).
    while (elementC->count() > titles.size())
        elementC->removeItem(elementC->count() - 1);
    for (int k = 0; k < titles.size(); ++k) {
        if (k == elementC->count())
            elementC->addItem(titles.at(k));
        else
            elementC->setItemText(k, titles.at(k));
    }
}

void PeakCalibrationDialog::addCentroid()
{
    const int k = elementC->currentIndex();
    if (!model || k < 0 || k >= model->elements().size()) return;
    const MonitorModel::Element& e = model->elements().at(k);
    const std::optional<double> centroid =
        e.hasRoi && e.filled() ? MonitorAnalysis::report(e).centroid : std::nullopt;
    if (!centroid)
        return say(tr("The ROI of %1 shows no peak to take a centroid of").arg(elementC->currentText()),
                   true);
    addRow(QString::number(*centroid, 'f', 2));
}

void PeakCalibrationDialog::addRow(const QString& channel)
{
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(channel));
    table->setItem(row, 1, new QTableWidgetItem);
    // Typing starts editing the cell still to be filled.
    table->setCurrentCell(row, channel.isEmpty() ? 0 : 1);
    table->setFocus();
}

void PeakCalibrationDialog::apply()
{
    const int k = elementC->currentIndex();
    if (k < 0) return say(tr("No element to calibrate"), true);
    QVector<PeakCalibration::Row> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto text = [&](int col) {
            return table->item(row, col) ? table->item(row, col)->text() : QString();
        };
        rows << PeakCalibration::Row{text(0), text(1)};
    }
    const PeakCalibration::Result r =
        PeakCalibration::fit(rows, shapeC->currentIndex() == 1, McaTransfer::binCount);
    if (!r.calibration) return say(tr("Not applied: %1").arg(r.message), true);
    analysis.setCalibration(k, *r.calibration);
    say(r.message, false);
    Q_EMIT applied(
        tr("Calibration of %1 from %2 marked peaks").arg(elementC->currentText(), QString::number(r.peaks)));
}

void PeakCalibrationDialog::say(const QString& text, bool wrong)
{
    messageL->setText(text);
    messageL->setStyleSheet(wrong ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
}
