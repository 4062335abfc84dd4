#pragma once

#include "ui_UnitStat.h"

#include <QFrame>

// The one-line panel of a unit: name, address and three indicators. It has no behaviour
// of its own; its transport writes into its widgets.
class UnitStat : public QFrame, private Ui_UnitStat
{
    friend class VexUnit;
    friend class VexDA;

public:
    explicit UnitStat(QWidget* parent = nullptr);
};
