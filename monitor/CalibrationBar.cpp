#include "monitor/CalibrationBar.h"

#include "monitor/MonitorAnalysis.h"
#include "monitor/PeakCalibrationDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CalibrationBar::CalibrationBar(MonitorAnalysis& analysis, QWidget* parent)
    : QWidget(parent), analysis(analysis), kevC(new QCheckBox(tr("keV"))), stateL(new QLabel),
      peaksD(new PeakCalibrationDialog(analysis, this))
{
    auto* loadB = new QPushButton(tr("Calibration..."));
    loadB->setToolTip(tr("Load a calibration file: one line per element, ELEMENT OFFSET GAIN [QUAD]"));
    auto* peaksB = new QPushButton(tr("Peaks..."));
    peaksB->setObjectName("openPeaks");
    peaksB->setToolTip(tr("Calibrate an element from peaks marked in its spectrum"));
    kevC->setToolTip(tr("Energy axes for the calibrated elements"));
    kevC->setEnabled(false);
    stateL->setTextFormat(Qt::PlainText);
    stateL->setMinimumWidth(1); // a long name or error must not widen the window beyond the screen
    stateL->hide();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : {static_cast<QWidget*>(kevC), static_cast<QWidget*>(loadB),
                       static_cast<QWidget*>(peaksB), static_cast<QWidget*>(stateL)})
        layout->addWidget(w);
    connect(peaksB, &QPushButton::clicked, peaksD, &QWidget::show);
    connect(peaksD, &PeakCalibrationDialog::applied, this, [this](const QString& text) {
        showState(text, text, false);
        kevC->setEnabled(true);
        kevC->setChecked(true);
        Q_EMIT changed();
    });
    layout->addSpacing(12);
    connect(kevC, &QCheckBox::toggled, this, &CalibrationBar::changed);
    connect(loadB, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, tr("Calibration file"), QString(), tr("Calibration files (*.txt *.cal);;All files (*)"));
        if (!path.isEmpty()) load(path);
    });
}

bool CalibrationBar::load(const QString& path)
{
    QString error;
    const bool loaded = analysis.loadCalibration(path, &error);
    // The error starts with the path, which the tool tip gives whole.
    const QString name = QFileInfo(path).fileName().left(60);
    showState(loaded ? tr("Calibration %1").arg(name)
                     : tr("Calibration %1 not loaded: %2").arg(name, error.mid(path.size() + 2).left(200)),
              loaded ? path : error, !loaded);
    kevC->setEnabled(analysis.calibrated());
    if (loaded) kevC->setChecked(analysis.calibrated());
    Q_EMIT changed();
    return loaded;
}

void CalibrationBar::showElements(const MonitorModel& model, const QStringList& titles)
{
    peaksD->showModel(model, titles);
}

void CalibrationBar::showState(const QString& text, const QString& toolTip, bool wrong)
{
    stateL->setText(text);
    stateL->setToolTip(toolTip);
    stateL->show();
    stateL->setStyleSheet(wrong ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
}

bool CalibrationBar::kevAxis() const
{
    return kevC->isChecked() && analysis.calibrated();
}

QString CalibrationBar::state() const
{
    return stateL->text();
}
