#include "widgets/StatDisp.h"

#include "widgets/StyleSheets.h"

StatDisp::StatDisp(QWidget* parent) : QFrame(parent)
{
    setupUi(this);
}

QString StatDisp::text() const
{
    return Stat->text();
}

QString StatDisp::statStyle() const
{
    return Stat->styleSheet();
}

// Indicators are set on every register access; re-applying an unchanged style sheet
// would repolish the label each time, so only changes reach the widget.
void StatDisp::setText(const QString& stat)
{
    if (Stat->text() != stat) Stat->setText(stat);
}

void StatDisp::setStyleSheet(const QString& style)
{
    if (Stat->styleSheet() != style) Stat->setStyleSheet(style);
}

void StatDisp::apply(const QString& text, const QString& style)
{
    setText(text);
    setStyleSheet(style);
}

void StatDisp::setRunStat(RunStat stat, const QStringList& statName)
{
    switch (stat) {
    case RunStat::Running:
        apply(statName.value(0), StyleSheets::green);
        break;
    case RunStat::Stay:
        apply(statName.value(1), StyleSheets::grey);
        break;
    case RunStat::InTransition:
        apply(statName.value(2), StyleSheets::yellow);
        break;
    }
}

void StatDisp::setRunStat(RunStat stat)
{
    setRunStat(stat, QStringList{QString(), QString(), QString()});
}

void StatDisp::setRunning(const QString& msg)
{
    apply(msg, StyleSheets::green);
}
void StatDisp::setRunning()
{
    setRunning(QString());
}
void StatDisp::setStay(const QString& msg)
{
    apply(msg, StyleSheets::grey);
}
void StatDisp::setStay()
{
    setStay(QString());
}
void StatDisp::setInTransition(const QString& msg)
{
    apply(msg, StyleSheets::yellow);
}
void StatDisp::setInTransition()
{
    setInTransition(QString());
}

void StatDisp::setOkNG(bool f, const QString& ok, const QString& ng)
{
    apply(f ? ok : ng, f ? QString(StyleSheets::green) : QString(StyleSheets::pink));
}

void StatDisp::setOkNG(bool f, const QString& ok)
{
    setOkNG(f, ok, QString());
}
void StatDisp::setOkNG(bool f)
{
    setOkNG(f, QString(), QString());
}
void StatDisp::setOk(const QString& ok)
{
    apply(ok, StyleSheets::green);
}
void StatDisp::setOk()
{
    setOk(QString());
}
void StatDisp::setNG(const QString& ng)
{
    apply(ng, StyleSheets::pink);
}
void StatDisp::setNG()
{
    setNG(QString());
}
