#pragma once

#include "dsp/VexDAs.h"
#include "settings/DspData.h"
#include "settings/SettingsRows.h"
#include "ui_DspSettingCtrl.h"

#include <QColor>
#include <QFileDialog>
#include <QFrame>
#include <QVector>

class ConfigLine;
class SilentUnitCut;

// The settings editor, a window of its own: every register of every DSP unit read out into
// a table, shown a row per record, edited, written back, saved to and loaded from settings
// files, dumped and recovered. Every unit access waits inside the call, so a read-out or
// write-back runs to its end before any other event; its progress is painted as it goes.
//
// The table (`config` and `rows`) holds every record; only as many rows exist as the view
// shows, each placed where its record lies in the scrolled area and showing the record whose
// index modulo the number of rows is its own.
class DspSettingCtrl : public QFrame, public Ui_DspSettingCtrl
{
    Q_OBJECT
public:
    explicit DspSettingCtrl(QWidget* parent = nullptr);

    VexDAs dspUnits; // the main controller's units; it deletes them, this group does not
    QVector<DspData> config;
    QVector<DspData> loadedConfig;
    SettingsRows rows;                // what each record's row shows
    QVector<ConfigLine*> configLines; // the rows that exist
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

public:
    // The row showing `record`, scrolled into view; nullptr when there is no such record.
    ConfigLine* lineFor(int record);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void placeLines();
    void refreshLines();
    void showRecord(ConfigLine* line, int record);
    void takeEdit(ConfigLine* line, int kind);
    int rowTop(int record) const;
    int rowHeight() const;
    void skipRecord(const DspData& record, const QString& why);
    void logCut(const SilentUnitCut& cut, int unit, const QString& accesses, const QString& leftOut);
    void startProgress(int total);
    void stepProgress();
    void unitDone(const QString& msg);

    const QColor alertColor{255, 0, 0};
    int shownPercent = 0;
};
