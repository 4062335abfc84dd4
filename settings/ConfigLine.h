#pragma once

#include "ui_ConfigLine.h"

#include <QFrame>

struct DspData;
struct RowState;

// One row of the settings editor: shows a record of the settings table with the value now in
// the unit, the value to write back and the value loaded from a file, as the table's
// RowState holds them. A row that is never filled shows the column titles.
class ConfigLine : public QFrame, public Ui_ConfigLine
{
    Q_OBJECT
public:
    enum Kind { Now = 0, New = 1, Restored = 2 }; // the number `updated` carries

    explicit ConfigLine(QWidget* parent = nullptr);

    // Shows record `row` (from 0) of the table.
    void showRecord(int row, const DspData& record, const RowState& state);
    // The values and marks again, after an operation changed them.
    void showValues(const RowState& state);
    // Pink where the new or the loaded value differs from the unit's.
    void refreshMarks(const RowState& state);
    // The record shown, -1 for none; a row that shows none is hidden.
    int record() const { return shown; }
    void showNothing();
    // The text of the new (New) or loaded (Restored) field.
    QString typedText(int kind) const;
    // Edits of the new and loaded values report through `updated`.
    void connectEdits();

Q_SIGNALS:
    void updated(int num);

private Q_SLOTS:
    void newValNew();
    void newValRestored();

private:
    int shown = -1;
};
