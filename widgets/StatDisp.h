#pragma once

#include "ui_StatDisp.h"

#include <QFrame>
#include <QStringList>

enum class RunStat : int { Running = 0, Stay = 1, InTransition = 2 };

// A small coloured indicator: one centred label whose text and background show a state.
class StatDisp : public QFrame, private Ui_StatDisp
{
    Q_OBJECT
public:
    explicit StatDisp(QWidget* parent = nullptr);

    QString text() const;
    QString statStyle() const;

public Q_SLOTS:
    void setText(const QString& stat);
    void setStyleSheet(const QString& style);
    void setRunStat(RunStat stat, const QStringList& statName);
    void setRunStat(RunStat stat);
    void setRunning(const QString& msg);
    void setRunning();
    void setStay(const QString& msg);
    void setStay();
    void setInTransition(const QString& msg);
    void setInTransition();
    void setOkNG(bool f, const QString& ok, const QString& ng);
    void setOkNG(bool f, const QString& ok);
    void setOkNG(bool f);
    void setOk(const QString& ok);
    void setOk();
    void setNG(const QString& ng);
    void setNG();

private:
    void apply(const QString& text, const QString& style);
};
