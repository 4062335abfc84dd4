#include "monitor/CalibrationBar.h"

#include "monitor/MonitorAnalysis.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CalibrationBar::CalibrationBar(MonitorAnalysis& analysis, QWidget* parent)
    : QWidget(parent), analysis(analysis), kevC(new QCheckBox(tr("keV"))), stateL(new QLabel)
{
    auto* loadB = new QPushButton(tr("Calibration..."));
    loadB->setToolTip(tr("Load a calibration file: one line per element, ELEMENT OFFSET GAIN [QUAD]"));
    kevC->setToolTip(tr("Energy axes for the calibrated elements"));
    kevC->setEnabled(false);
    stateL->setTextFormat(Qt::PlainText);
    stateL->setMinimumWidth(1); // a long name or error must not widen the window beyond the screen
    stateL->hide();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w :
         {static_cast<QWidget*>(kevC), static_cast<QWidget*>(loadB), static_cast<QWidget*>(stateL)})
        layout->addWidget(w);
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
    stateL->setText(
        loaded ? tr("Calibration %1").arg(name)
               : tr("Calibration %1 not loaded: %2").arg(name, error.mid(path.size() + 2).left(200)));
    stateL->setToolTip(loaded ? path : error);
    stateL->show();
    stateL->setStyleSheet(loaded ? QString() : QStringLiteral("color: rgb(255, 0, 0);"));
    kevC->setEnabled(analysis.calibrated());
    if (loaded) kevC->setChecked(analysis.calibrated());
    Q_EMIT changed();
    return loaded;
}

bool CalibrationBar::kevAxis() const
{
    return kevC->isChecked() && analysis.calibrated();
}

QString CalibrationBar::state() const
{
    return stateL->text();
}
