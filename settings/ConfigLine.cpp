#include "settings/ConfigLine.h"

#include "settings/DspData.h"
#include "settings/SettingsRows.h"
#include "widgets/StyleSheets.h"

ConfigLine::ConfigLine(QWidget* parent) : QFrame(parent)
{
    setupUi(this);
}

void ConfigLine::showRecord(int row, const DspData& record, const RowState& state)
{
    shown = row;
    show();
    No->setText(QString::number(row + 1));
    Dsp->setText(QString("DSP%1").arg(record.dspIndex));
    Ch->setText(record.channel == -1 ? QString() : QString("Ch%1").arg(record.channel));
    AddrDesc->setText(record.label);
    Addr->setText(QString("%1").arg(record.address, 8, 16, QLatin1Char('0')));
    ValNow->setText(QString::number(state.valNow));
    HexNow->setText(hex4(state.valNow));
    showValues(state);
}

void ConfigLine::showNothing()
{
    shown = -1;
    hide();
}

void ConfigLine::showValues(const RowState& state)
{
    ValNew->setText(state.newText);
    HexNew->setText(state.newHex);
    ValRestored->setText(state.restoredText);
    HexRestored->setText(state.restoredHex);
    refreshMarks(state);
}

// Setting a style sheet re-polishes the field even when it is unchanged, and rows are
// refilled as the view scrolls.
static void mark(QLineEdit* field, bool differs)
{
    const QString sheet = differs ? QString(StyleSheets::pink) : QString();
    if (field->styleSheet() != sheet) field->setStyleSheet(sheet);
}

void ConfigLine::refreshMarks(const RowState& state)
{
    mark(ValNew, state.newDiffers());
    mark(ValRestored, state.restoredDiffers());
}

QString ConfigLine::typedText(int kind) const
{
    return kind == New ? ValNew->text() : kind == Restored ? ValRestored->text() : QString();
}

void ConfigLine::connectEdits()
{
    connect(ValNew, &QLineEdit::editingFinished, this, &ConfigLine::newValNew);
    connect(ValRestored, &QLineEdit::editingFinished, this, &ConfigLine::newValRestored);
}

void ConfigLine::newValNew()
{
    Q_EMIT updated(New);
}

void ConfigLine::newValRestored()
{
    Q_EMIT updated(Restored);
}
