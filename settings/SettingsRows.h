#pragma once

#include "settings/DspData.h"

#include <QString>
#include <QVector>

// What the editor shows of one record beside the record itself: the value now in the unit,
// the value to write back, the value loaded from a file, and the texts of their fields. An
// edit takes its value from the typed text, which its field keeps, and leaves the
// hexadecimal field as it was, so texts are kept rather than made from the values.
struct RowState
{
    quint16 valNow = 0;
    quint16 valNew = 0;
    quint16 valRestored = 0;
    QString newText, newHex;           // decimal as shown, hexadecimal as last set
    QString restoredText, restoredHex; // empty until a value is loaded or typed

    // Pink marks: where the new or the loaded value differs from the unit's.
    bool newDiffers() const { return valNew != valNow; }
    bool restoredDiffers() const { return valRestored != valNow; }
};

// The 4-byte and 6-byte readings of a value and the same value of the next two rows.
struct CompositeViews
{
    QString fourBytes;
    QString sixBytes;
};

// One RowState per record of the settings table, in table order; no widgets, so the rows of
// the window only show what this holds.
class SettingsRows
{
public:
    enum Kind { Now = 0, New = 1, Restored = 2 }; // the number a row's edit reports

    // valNow = valNew = the low 16 bits of each record's value, no loaded value.
    void reset(const QVector<DspData>& config);
    int size() const { return states.size(); }
    const RowState& at(int row) const { return states.at(row); }
    // 0 for a row outside the table.
    quint16 value(int row, int kind) const;

    // Set by an operation: the value and both its fields.
    void setValNew(int row, quint16 v);
    void setValRestored(int row, quint16 v);
    // Typed into the new (New) or loaded (Restored) field: a text that is no decimal number
    // gives 0, the value keeps its low 16 bits.
    void typed(int row, int kind, const QString& text);

    // The row read as the most significant word of a 2-word and a 3-word quantity.
    CompositeViews compositeViews(int row, int kind) const;

private:
    QVector<RowState> states;
};

// 4 lower-case hexadecimal digits.
QString hex4(quint16 v);
