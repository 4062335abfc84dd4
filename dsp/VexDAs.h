#pragma once

#include <QObject>
#include <QVector>

class VexDA;

// A group of DSP units whose busy flag is the OR of the units' reported busy states.
class VexDAs : public QObject
{
    Q_OBJECT
public:
    explicit VexDAs(QObject* parent = nullptr);
    ~VexDAs() override;

    void append(VexDA* unit);
    const QVector<VexDA*>& units() const { return unitList; }
    VexDA* unitNamed(const QString& name) const;
    bool isBusy() const { return busy; }
    // Schedules every unit for deletion and empties the list.
    void releaseUnits();
    // A group over the units of another leaves their deletion to that one.
    void setOwnsUnits(bool owns) { ownsUnits = owns; }

Q_SIGNALS:
    void changedIsBusy();

private Q_SLOTS:
    void changedOneBusy();

private:
    bool busy = false;
    QVector<VexDA*> unitList;
    bool ownsUnits = true;
};
