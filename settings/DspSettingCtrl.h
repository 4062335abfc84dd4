#pragma once

#include "dsp/VexDAs.h"
#include "settings/DspData.h"
#include "ui_DspSettingCtrl.h"

#include <QColor>
#include <QFileDialog>
#include <QFrame>
#include <QVector>

class ConfigLine;
class SilentUnitCut;

// The settings editor, a window of its own: every register of every DSP unit read out into
// rows, edited, written back, saved to and loaded from settings files, dumped and recovered.
// Every unit access waits inside the call, so a read-out or write-back runs to its end before
// any other event; its progress is painted as it goes.
class DspSettingCtrl : public QFrame, public Ui_DspSettingCtrl
{
    Q_OBJECT
public:
    explicit DspSettingCtrl(QWidget* parent = nullptr);

    VexDAs dspUnits; // the main controller's units; it deletes them, this group does not
    QVector<DspData> config;
    QVector<DspData> loadedConfig;
    QVector<ConfigLine*> configLines;
    QFileDialog loadDialog;
    QFileDialog saveDialog;

Q_SIGNALS:
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));

private Q_SLOTS:
    void setUpConfigLines(QVector<DspData>& config);
    void setValRestored(QVector<DspData>& config, QVector<DspData>& loadedConfig);
    void readOutDspConfig(QVector<DspData>& config);
    void writeBackDspConfig(QVector<DspData>& config);
    void loadDspConfig(QString fname, QVector<DspData>& config);
    void saveDspConfig(QString fname, QVector<DspData>& config);
    void updatedALine(int num);

public Q_SLOTS:
    void readOut();
    void writeBack();
    void copyRestored();
    void load(QString fname);
    void save(QString fname);
    void dump();
    void recover(QString fname);

private:
    void skipRecord(const DspData& record, const QString& why);
    void logCut(const SilentUnitCut& cut, int unit, const QString& accesses, const QString& leftOut);
    void startProgress(int total);
    void stepProgress();
    void unitDone(const QString& msg);

    const QColor alertColor{255, 0, 0};
    int shownPercent = 0;
};
