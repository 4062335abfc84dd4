#pragma once

#include "ui_ConfigLine.h"

#include <QFrame>

struct DspData;

// One row of the settings editor: a register of one unit with the value now in the unit, the
// value to write back and the value loaded from a file. A row that is never filled shows the
// column titles.
class ConfigLine : public QFrame, public Ui_ConfigLine
{
    Q_OBJECT
public:
    enum Kind { Now = 0, New = 1, Restored = 2 }; // the number `updated` carries

    explicit ConfigLine(QWidget* parent = nullptr);

    // Row `row` (from 0) shows the record: valNow = valNew = its low 16 bits, no loaded value.
    void setRecord(int row, const DspData& record);
    void setValNew(quint16 v);
    void setValRestored(quint16 v);
    quint16 value(int kind) const;
    // Pink where the new or the loaded value differs from the unit's.
    void refreshMarks();
    // Edits of the new and loaded values report through `updated`.
    void connectEdits();

    quint16 valNow = 0;
    quint16 valNew = 0;
    quint16 valRestored = 0;

Q_SIGNALS:
    void updated(int num);

private Q_SLOTS:
    void newValNew();
    void newValRestored();
};
