#pragma once

#include <QWidget>

class ElementPanel;
class MonitorAnalysis;
class MonitorModel;
class QListWidget;

// The sum spectrum of the elements ticked in its list, bin by bin in channels, or on a common
// keV axis when the axes are in keV and every ticked element is calibrated.
class SumWindow : public QWidget
{
    Q_OBJECT
public:
    SumWindow(const MonitorAnalysis& analysis, QWidget* parent = nullptr);

    // The model's elements in the list (ticks kept), and their sum.
    void showModel(const MonitorModel& model, const QStringList& titles, bool inKev, bool logScale);
    ElementPanel* panel() const { return sumPanel; }
    QListWidget* list() const { return elementList; }

Q_SIGNALS:
    void selectionChanged();

private:
    const MonitorAnalysis& analysis;
    QListWidget* elementList;
    ElementPanel* sumPanel;
};
