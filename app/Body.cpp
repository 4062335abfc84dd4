#include "app/Body.h"

Body::Body(QWidget* parent)
    : QFrame(parent), alertColor(255, 0, 0), rcvLogColor(200, 120, 0)
{
    ui.setupUi(this);
    connect(this, &Body::log, ui.Log, &LogArea::log);
    emit log("Starting !!");
    setUpZephra();
    normalizeType = 2;
}

Body::~Body() = default;

void Body::setUpZephra()
{
    zephra = ui.ZephraUi;
}
