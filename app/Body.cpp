#include "app/Body.h"

#include "config/ConfigStore.h"
#include "config/ConfigText.h"
#include "dsp/DspConstants.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "dsp/VexdaLine.h"
#include "hv/VexHv.h"
#include "zephra/Zephra.h"

#include <QThread>

// The pause before each start-up dump or recover.
static constexpr unsigned long startUpPauseMs = 1000;

Body::Body(QWidget* parent)
    : QFrame(parent), alertColor(255, 0, 0), rcvLogColor(200, 120, 0), ackWaitMs(3000), ackWord("Ack"),
      nackWord("Nack")
{
    VexUnit::setStartUpPhase(true);
    ui.setupUi(this);
    connect(this, &Body::log, ui.Log, &LogArea::log);
    Q_EMIT log("Starting !!");
    setUpZephra();
    buildRegisterMap();
    normalizeType = 2;
    setUpDataLink();
    setUpDspGroup();
    setUpHv();
    setUpDspSettings();
    VexUnit::setStartUpPhase(false);
}

Body::~Body()
{
    // Pausing a server that never listened would crash.
    if (dataLinkServer.isListening()) dataLinkServer.pauseAccepting();
    dataLinkServer.close();
    discardDataLink();
    // The panels sit in this window's layout but belong to their units, which are deleted
    // later: take them out so the form does not delete them first.
    for (VexDA* unit : vexDAs.units())
        unit->unitStat.setParent(nullptr);
    vexDAs.releaseUnits();
    if (vexHv) {
        vexHv->unitStat.setParent(nullptr);
        vexHv->hvFrame.setParent(nullptr);
        vexHv.reset();
    }
}

void Body::setUpZephra()
{
    zephra = ui.ZephraUi;

    zephra->setLogSendingMsg(ui.LogMsgToZephra->isChecked());
    connect(ui.LogMsgToZephra, &QCheckBox::toggled, zephra, &Zephra::setLogSendingMsg);
    if (isFlagSet(configStore.value("RECORD_MSG_TO_ZEPHRA", "0"))) ui.LogMsgToZephra->setChecked(true);
    if (isFlagSet(configStore.value("RECORD_MSG_FROM_ZEPHRA", "0"))) ui.LogMsgFromZephra->setChecked(true);

    connect(zephra, &Zephra::log, ui.Log, &LogArea::log);
    connect(zephra, &Zephra::anyAsk, this, &Body::anyAsk);

    zephra->setFields(configStore.value("ZEPHRA_IP", "localhost"), configStore.value("ZEPHRA_PORT", "6057"),
                      configStore.value("NAME_ON_ZEPHRA", "Tavik"),
                      configStore.value("KEY_ON_ZEPHRA", "Tavik.key"));

    dataLinkIp = configStore.value("DATA_LINK_CH_IP", "localhost");
    dataLinkPort = configStore.value("DATA_LINK_CH_PORT", "6058").toInt(nullptr, 10);

    if (isFlagSet(configStore.value("CONNECT_TO_ZEPHRA", "0"))) zephra->connectToZephra();
}

void Body::setUpDspGroup()
{
    VexUnit::setPorts(quint16(configStore.value("VEX_UDP_PORT", "4660").toUInt()),
                      quint16(configStore.value("VEX_TCP_PORT", "24").toUInt()));
    const QStringList lines = configStore.allRests("VEXDA");
    for (int i = 0; i < lines.size(); ++i) {
        const VexdaLine line = VexdaLine::parse(lines.at(i), channelOffsets.size());
        const QString& name = line.name;
        auto* unit = new VexDA(name, line.address);
        connect(unit, &VexUnit::log, ui.Log, &LogArea::log);
        if (unit->isSilentAtStartUp())
            Q_EMIT log(
                QString("%1: no answer at start-up: not waited for again until the program has started")
                    .arg(name),
                alertColor);
        const QByteArray& enabled = line.enabled;
        for (int c = 0; c < enabled.size(); ++c)
            if (enabled.at(c)) channels.append(ChannelRef{unit, c});
        unit->channelEnabled = enabled;
        unit->roiStart.resize(enabled.size());
        unit->roiEnd.resize(enabled.size());
        auto first = std::make_unique<McaSet>();
        first->blocks.resize(enabled.size());
        unit->setMcaSet(std::move(first));
        ui.DspStats->addWidget(&unit->unitStat, i, 0);
        for (int c = 0; c < enabled.size(); ++c) {
            unit->roiStart[c] = 0;
            unit->roiEnd[c] = Dsp::defaultRoiEnd;
        }
        unit->openTcp();
        vexDAs.append(unit);
    }
    connect(&vexDAs, &VexDAs::changedIsBusy, this, &Body::changedVexDABusy);
    for (VexDA* unit : vexDAs.units())
        unit->setDataTransDelay(0);
    ui.EmulateSignal->setChecked(isFlagSet(configStore.value("EMULATE_DSP_SIGNAL", "0")));
    for (VexDA* unit : vexDAs.units()) {
        unit->emulateSignal = ui.EmulateSignal->isChecked();
        connect(ui.EmulateSignal, &QCheckBox::toggled, unit, &VexDA::setEmulateSignal);
    }
    connect(ui.ShowSettings, &QPushButton::clicked, &settingCtrl, &QWidget::show);
}

// The editor over the same units, with the start-up dump and recover; a read-out always
// follows, so the editor is filled before it is first shown.
void Body::setUpDspSettings()
{
    connect(&settingCtrl, &DspSettingCtrl::log, ui.Log, &LogArea::log);
    for (VexDA* unit : vexDAs.units())
        settingCtrl.dspUnits.append(unit);
    if (isFlagSet(configStore.value("DUMP", "0")) || configStore.contains("-dump")) {
        QThread::msleep(startUpPauseMs);
        settingCtrl.dump();
    }
    if (isFlagSet(configStore.value("RECOVER", "0")) || configStore.contains("-recover")) {
        QThread::msleep(startUpPauseMs);
        settingCtrl.recover(configStore.value("RECOVER_FILE", "dump.stg"));
    }
    settingCtrl.readOut();
}

void Body::setUpHv()
{
    const QString value = configStore.rest("VEXHV", "");
    if (value.isEmpty()) return;
    QString name, address;
    takeFirstItem(takeFirstItem(value, name), address);
    vexHv = std::make_unique<VexHv>(name, address);
    connect(vexHv->ui.TurnHvOn, &QPushButton::clicked, vexHv.get(), &VexHv::hvOn);
    connect(vexHv->ui.TurnHvOff, &QPushButton::clicked, vexHv.get(), &VexHv::hvOff);
    vexHv->startWatch();
    const int n = vexDAs.units().size();
    ui.DspStats->addWidget(&vexHv->unitStat, n + 1, 0);
    ui.DspStats->addWidget(&vexHv->hvFrame, n + 2, 0);
    connect(vexHv.get(), &VexHv::changedSweep, this, &Body::newHvStat);
}
