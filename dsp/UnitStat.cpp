#include "dsp/UnitStat.h"

UnitStat::UnitStat(QWidget* parent) : QFrame(parent)
{
    setupUi(this);
}
