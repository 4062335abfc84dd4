#pragma once

#include "ui_LogArea.h"

#include <QColor>
#include <QFrame>

// The coloured log of the main window; keeps at most a fixed number of lines.
class LogArea : public QFrame, private Ui_LogArea
{
    Q_OBJECT
public:
    explicit LogArea(QWidget* parent = nullptr, int maxLines = 2000);

    QTextEdit* display() const { return LogDisp; }

public Q_SLOTS:
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));
};
