#include "zephra/Zephra.h"

Zephra::Zephra(QWidget* parent) : QFrame(parent)
{
    ui.setupUi(this);
}
