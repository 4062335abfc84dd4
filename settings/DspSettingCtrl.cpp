#include "settings/DspSettingCtrl.h"

#include "dsp/VexDA.h"
#include "settings/SettingsTable.h"
#include "settings/SilentUnitCut.h"

#include <QApplication>
#include <QScrollBar>

DspSettingCtrl::DspSettingCtrl(QWidget* parent) : QFrame(parent)
{
    setupUi(this);
    dspUnits.setOwnsUnits(false);
    loadDialog.setAcceptMode(QFileDialog::AcceptOpen);
    saveDialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters{"Setting Data (*.stg)", "Any (*, *.*)"};
    loadDialog.setNameFilters(filters);
    saveDialog.setNameFilters(filters);

    connect(Load, &QPushButton::clicked, &loadDialog, &QWidget::show);
    connect(&loadDialog, &QFileDialog::fileSelected, this, &DspSettingCtrl::load);
    connect(Save, &QPushButton::clicked, &saveDialog, &QWidget::show);
    connect(&saveDialog, &QFileDialog::fileSelected, this, &DspSettingCtrl::save);
    connect(CopyLoaded, &QPushButton::clicked, this, &DspSettingCtrl::copyRestored);
    connect(WriteBack, &QPushButton::clicked, this, &DspSettingCtrl::writeBack);
    connect(ReadOut, &QPushButton::clicked, this, &DspSettingCtrl::readOut);

    connect(scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &DspSettingCtrl::placeLines);
    scrollArea->viewport()->installEventFilter(this);
    scrollAreaWidgetContents->installEventFilter(this);
}

void DspSettingCtrl::readOutDspConfig(QVector<DspData>& config)
{
    const QVector<RegisterPlace> places = unitRegisterPlaces();
    const QVector<VexDA*>& units = dspUnits.units();
    SilentUnitCut cut(units.size());
    startProgress(units.size() * places.size());
    for (int u = 0; u < units.size(); ++u) {
        VexDA* unit = units.at(u);
        for (const RegisterPlace& place : places) {
            DspData record; // a record not read is left as a time-out leaves it
            record.label = place.label;
            record.dspIndex = u;
            record.channel = place.channel;
            if (cut.mayAsk(u)) {
                cut.noteAnswer(u, unit->readRegister(place.address, true, 2));
                record.header = unit->lastHeader;
                record.address = unit->lastAddress;
                record.regValue = unit->lastValue;
            }
            config.append(record);
            stepProgress();
        }
        logCut(cut, u, "reads", "registers not read");
        unitDone(QString("%1: settings read out (%2 of %3 units)")
                     .arg(unit->unitName)
                     .arg(u + 1)
                     .arg(units.size()));
    }
}

void DspSettingCtrl::writeBackDspConfig(QVector<DspData>& config)
{
    Q_EMIT log("Writing back Setting Vals to DSPs");
    // A timed-out read leaves address 0 and a malformed file line any address: such a value
    // must not reach the unit.
    const QSet<quint32> registers = registerAddresses();
    const QVector<VexDA*>& units = dspUnits.units();
    SilentUnitCut cut(units.size());
    startProgress(config.size());
    int written = 0;
    for (int i = 0; i < config.size(); ++i) {
        const DspData& record = config.at(i);
        const int u = record.dspIndex;
        if (u < 0 || u >= units.size()) {
            skipRecord(record, "no such unit");
        } else if (!registers.contains(record.address)) {
            skipRecord(record, "no register at this address");
        } else if (cut.mayAsk(u)) {
            cut.noteAnswer(u, units.at(u)->writeRegister(record.address, record.regValue, true, 2));
            ++written;
        }
        stepProgress();
        const bool lastOfUnit = i + 1 == config.size() || config.at(i + 1).dspIndex != u;
        if (lastOfUnit && written > 0) {
            unitDone(QString("%1: %2 settings written back").arg(units.at(u)->unitName).arg(written));
            written = 0;
        }
    }
    for (int u = 0; u < units.size(); ++u)
        logCut(cut, u, "writes", "settings not written");
}

void DspSettingCtrl::skipRecord(const DspData& record, const QString& why)
{
    const QString from =
        record.fileLine > 0 ? QString("line %1").arg(record.fileLine) : record.label.trimmed();
    Q_EMIT log(QString("Not written: DSP%1 [%2] %3 (%4)")
                   .arg(record.dspIndex)
                   .arg(record.address, 8, 16, QLatin1Char('0'))
                   .arg(why, from),
               alertColor);
}

void DspSettingCtrl::logCut(const SilentUnitCut& cut, int unit, const QString& accesses,
                            const QString& leftOut)
{
    if (cut.leftOut(unit) == 0) return;
    Q_EMIT log(QString("%1: no answer to %2 %3 in a row, %4 %5")
                   .arg(dspUnits.units().at(unit)->unitName)
                   .arg(SilentUnitCut::limit)
                   .arg(accesses)
                   .arg(cut.leftOut(unit))
                   .arg(leftOut),
               alertColor);
}

void DspSettingCtrl::readOut()
{
    Q_EMIT log("Reading out DSP Settings");
    config.clear();
    readOutDspConfig(config);
    setUpConfigLines(config);
}

void DspSettingCtrl::writeBack()
{
    for (int i = 0; i < config.size() && i < rows.size(); ++i)
        config[i].regValue = rows.at(i).valNew;
    writeBackDspConfig(config);
    readOut();
}

void DspSettingCtrl::copyRestored()
{
    Q_EMIT log("Copy Restored DSP Setting Vals to New Vals");
    for (int i = 0; i < rows.size() && i < config.size(); ++i) {
        rows.setValNew(i, rows.at(i).valRestored);
        config[i].regValue = rows.at(i).valNew;
    }
    refreshLines();
}

void DspSettingCtrl::load(QString fname)
{
    Q_EMIT log("Load DSP Setting Vals");
    loadedConfig.clear();
    loadDspConfig(fname, loadedConfig);
    setValRestored(config, loadedConfig);
}

void DspSettingCtrl::startProgress(int total)
{
    Progress->setRange(0, qMax(total, 1));
    Progress->setValue(0);
    shownPercent = 0;
    Progress->repaint();
}

// The bar is repainted at once: letting the event loop paint it would also let requests run
// in the middle of the accesses.
void DspSettingCtrl::stepProgress()
{
    Progress->setValue(Progress->value() + 1);
    const int percent = int(100LL * Progress->value() / Progress->maximum());
    if (percent == shownPercent) return;
    shownPercent = percent;
    Progress->repaint();
}

void DspSettingCtrl::unitDone(const QString& msg)
{
    Q_EMIT log(msg);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->repaint();
}
