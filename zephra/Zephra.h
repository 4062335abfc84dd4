#pragma once

#include "ui_Zephra.h"

#include <QFrame>

// The message-server client widget of the main window's top row.
class Zephra : public QFrame
{
    Q_OBJECT
public:
    explicit Zephra(QWidget* parent = nullptr);

private:
    Ui_Zephra ui;
};
