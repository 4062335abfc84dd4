#include "settings/DspSettingCtrl.h"

#include "config/LocalFile.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QSaveFile>

// The file part of the settings editor: settings files, dump and recover.

void DspSettingCtrl::saveDspConfig(QString fname, QVector<DspData>& config)
{
    Q_EMIT log(QString("Saving DSP Config to %1").arg(fname));
    // Written beside the target and renamed over it, so that no half file is ever left; the
    // check comes first because the rename would replace what a symlink points to.
    QSaveFile file(fname);
    if (!LocalFile::isReplaceable(fname) || !file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        Q_EMIT log(QString("Err: can't open %1 to save dsp config").arg(fname), alertColor);
        return;
    }
    writeSettings(file, config);
    if (!file.commit()) Q_EMIT log(QString("Err: can't write %1 to save dsp config").arg(fname), alertColor);
}

void DspSettingCtrl::loadDspConfig(QString fname, QVector<DspData>& config)
{
    Q_EMIT log(QString("Loading DSP Setting Vals from %1").arg(fname));
    QFile file(fname);
    if (!LocalFile::openRegular(file)) {
        Q_EMIT log(QString("Can't open dump file [%1] to recover.").arg(fname), alertColor);
        return;
    }
    const SettingsReadCounts counts = readSettings(file, config);
    if (counts.cutLines > 0)
        Q_EMIT log(QString("%1: %2 lines longer than %3 characters were cut")
                       .arg(fname)
                       .arg(counts.cutLines)
                       .arg(maxSettingsLineLength),
                   alertColor);
    if (counts.leftOver)
        Q_EMIT log(QString("%1: lines after line %2 were not read").arg(fname).arg(maxSettingsLines),
                   alertColor);
    file.close();
}

void DspSettingCtrl::save(QString fname)
{
    saveDspConfig(fname, config);
}

void DspSettingCtrl::dump()
{
    Q_EMIT log("Dumping DSP Setting Vals dump.stg");
    QVector<DspData> table;
    readOutDspConfig(table);
    saveDspConfig("dump.stg", table);
}

void DspSettingCtrl::recover(QString fname)
{
    Q_EMIT log(QString("Recovering DSP Setting vals from %1").arg(fname));
    QVector<DspData> table;
    loadDspConfig(fname, table);
    writeBackDspConfig(table);
}
