#include "app/Body.h"

#include "config/ConfigStore.h"
#include "config/ConfigText.h"
#include "zephra/Zephra.h"

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

    zephra->setLogSendingMsg(ui.LogMsgToZephra->isChecked());
    connect(ui.LogMsgToZephra, &QCheckBox::toggled, zephra, &Zephra::setLogSendingMsg);
    if (isFlagSet(configStore.value("RECORD_MSG_TO_ZEPHRA", "0")))
        ui.LogMsgToZephra->setChecked(true);
    if (isFlagSet(configStore.value("RECORD_MSG_FROM_ZEPHRA", "0")))
        ui.LogMsgFromZephra->setChecked(true);

    connect(zephra, &Zephra::log, ui.Log, &LogArea::log);
    connect(zephra, &Zephra::anyAsk, this, &Body::anyAsk);

    zephra->setFields(configStore.value("ZEPHRA_IP", "localhost"), configStore.value("ZEPHRA_PORT", "6057"),
                      configStore.value("NAME_ON_ZEPHRA", "Tavik"), configStore.value("KEY_ON_ZEPHRA", "Tavik.key"));

    dataLinkIp = configStore.value("DATA_LINK_CH_IP", "localhost");
    dataLinkPort = configStore.value("DATA_LINK_CH_PORT", "6058").toInt(nullptr, 10);

    if (isFlagSet(configStore.value("CONNECT_TO_ZEPHRA", "0")))
        zephra->connectToZephra();
}

// Stands in for the request dispatcher until the handlers exist: every request that the
// server client does not answer itself is unknown here.
void Body::anyAsk(AMsg msg)
{
    if (ui.LogMsgFromZephra->isChecked())
        emit log(QString(":::: Rcv %1").arg(msg.line), rcvLogColor);
    zephra->sendAnswer(msg, "Er: Unknown Command");
    emit log(QString("**** Er: %1").arg(msg.cmd));
}
