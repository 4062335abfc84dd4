#include "settings/ConfigLine.h"

#include "settings/DspData.h"
#include "widgets/StyleSheets.h"

static QString hex4(quint16 v)
{
    return QString("%1").arg(v, 4, 16, QLatin1Char('0'));
}

// A text that is no number gives 0; the value keeps its low 16 bits.
static quint16 typedValue(const QLineEdit* field)
{
    return quint16(field->text().toInt(nullptr, 10));
}

ConfigLine::ConfigLine(QWidget* parent) : QFrame(parent)
{
    setupUi(this);
}

void ConfigLine::setRecord(int row, const DspData& record)
{
    No->setText(QString::number(row + 1));
    Dsp->setText(QString("DSP%1").arg(record.dspIndex));
    Ch->setText(record.channel == -1 ? QString() : QString("Ch%1").arg(record.channel));
    AddrDesc->setText(record.label);
    Addr->setText(QString("%1").arg(record.address, 8, 16, QLatin1Char('0')));
    valNow = quint16(record.regValue);
    ValNow->setText(QString::number(valNow));
    HexNow->setText(hex4(valNow));
    setValNew(valNow);
    valRestored = 0;
    ValRestored->clear();
    HexRestored->clear();
    refreshMarks();
}

void ConfigLine::setValNew(quint16 v)
{
    valNew = v;
    ValNew->setText(QString::number(v));
    HexNew->setText(hex4(v));
}

void ConfigLine::setValRestored(quint16 v)
{
    valRestored = v;
    ValRestored->setText(QString::number(v));
    HexRestored->setText(hex4(v));
}

quint16 ConfigLine::value(int kind) const
{
    return kind == Now ? valNow : kind == New ? valNew : valRestored;
}

// Setting a style sheet re-polishes the field even when it is unchanged, and a table has
// hundreds of rows.
static void mark(QLineEdit* field, bool differs)
{
    const QString sheet = differs ? QString(StyleSheets::pink) : QString();
    if (field->styleSheet() != sheet) field->setStyleSheet(sheet);
}

void ConfigLine::refreshMarks()
{
    mark(ValNew, valNew != valNow);
    mark(ValRestored, valRestored != valNow);
}

void ConfigLine::connectEdits()
{
    connect(ValNew, &QLineEdit::editingFinished, this, &ConfigLine::newValNew);
    connect(ValRestored, &QLineEdit::editingFinished, this, &ConfigLine::newValRestored);
}

void ConfigLine::newValNew()
{
    valNew = typedValue(ValNew);
    refreshMarks();
    Q_EMIT updated(New);
}

void ConfigLine::newValRestored()
{
    valRestored = typedValue(ValRestored);
    refreshMarks();
    Q_EMIT updated(Restored);
}
