#pragma once

#include "monitor/MonitorAnalysis.h"
#include "ui_MonitorWindow.h"

#include <QMainWindow>

class CalibrationBar;
class ElementPanel;
class SumWindow;
class MonitorSession;
class RunRecorder;
class QGridLayout;
class QLabel;

// The face of a MonitorSession: a plot per element in a grid that fits the window (or one
// plot with all of them), the buttons, and the connection states in the status bar.
class MonitorWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Without a recorder the record check box and comment field are hidden.
    explicit MonitorWindow(MonitorSession& session, RunRecorder* recorder = nullptr,
                           QWidget* parent = nullptr);
    ~MonitorWindow() override;

    // Writes base.csv and base.png; false (with a status message) when either failed.
    bool saveTo(const QString& base);
    // The columns of a grid of `count` plots in `area`: the one that gives the largest plots.
    static int gridColumns(int count, const QSize& area);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showModel();
    void showStatus();
    void arrangePanels();
    void save();
    void setRecording(bool on);
    QString elementTitle(int k) const;
    // Times, rate and busy flag of element k, in two parts joined by `between`.
    QString infoText(int k, const QString& between) const;

    Ui::MonitorWindow ui;
    MonitorSession& session;
    RunRecorder* recorder;
    MonitorAnalysis analysis;
    CalibrationBar* calibrationBar;
    SumWindow* sumWindow;
    QGridLayout* grid;
    QList<ElementPanel*> panels;
    QLabel* serverL;
    QLabel* nodeL;
    QLabel* linkL;
    QLabel* measurementL;
    int columns = 0;
};
