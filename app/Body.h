#pragma once

#include "dsp/ChannelRef.h"
#include "dsp/VexDAs.h"
#include "hv/HvStat.h"
#include "requests/WordFinder.h"
#include "settings/DspSettingCtrl.h"
#include "ui_Body.h"
#include "zephra/AMsg.h"

#include <QByteArray>
#include <QColor>
#include <QFrame>
#include <QTcpServer>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>

class QDataStream;
class QTcpSocket;
class VexDA;
class VexHv;
class Zephra;

// The main window and main controller: owns every subsystem and wires them in a fixed order.
class Body : public QFrame
{
    Q_OBJECT
public:
    explicit Body(QWidget* parent = nullptr);
    ~Body() override;

    const VexDAs& dspGroup() const { return vexDAs; }
    const QVector<ChannelRef>& channelList() const { return channels; }
    DspSettingCtrl& settings() { return settingCtrl; }
    // The port the data link listens on, the configured one while it does not: configured 0,
    // the system picks a free port, which GetDataLinkCh then tells.
    int dataLinkPortInUse() const;

Q_SIGNALS:
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));

public Q_SLOTS:
    void changedVexDABusy();
    void newHvStat(HvStat::SweepStat stat);
    void askNewDataLink();
    void dataLinkDisconnected();
    void readyReadFromDataLink();
    void dataTransWaitTimeout();
    void anyAsk(AMsg msg);
    void askGetMCALength(AMsg msg);
    void askGetPeakingTime(AMsg msg);
    void askClear(AMsg msg);
    void askStart(AMsg msg, bool clearHgm);
    void askStop(AMsg msg);
    void askGetMCAs(AMsg msg);
    void askSetNormalizeType(AMsg msg);
    void askGetNormalizeType(AMsg msg);
    void askSetPresetType(AMsg msg);
    void askGetPresetType(AMsg msg);
    void askSetPresetValue(AMsg msg);
    void askGetPresetValue(AMsg msg);
    void askStatus(AMsg msg);
    void askSetConfig(AMsg msg);
    void askHvStart(AMsg msg);
    void askHvStop(AMsg msg);
    void askHvStat(AMsg msg);
    void askHvVol(AMsg msg);
    void askSetROI(AMsg msg);
    void askSetROIs(AMsg msg);
    void askGetROI(AMsg msg);
    void askGetROIs(AMsg msg);
    void askGetValue(AMsg msg);
    void askGetValues(AMsg msg);
    void askGetRealTime(AMsg msg);
    void askGetLiveTime(AMsg msg);
    void askGetRealTimes(AMsg msg);
    void askGetLiveTimes(AMsg msg);
    void askGetDeadTimes(AMsg msg);
    void askGetDataLinkCh(AMsg msg);
    void askGetHistgram(AMsg msg);
    void askGetMeasTimeInSec(AMsg msg);
    void askSetMeasTimeInSec(AMsg msg);

private:
    void setUpZephra();
    void setUpDataLink();
    void setUpDspGroup();
    void setUpHv();
    void setUpDspSettings();

    // Parameter checks shared by the handlers; each answers the request when it fails.
    bool checkParamCount(const AMsg& msg, int n);
    int checkMaxParams(const AMsg& msg, int n);
    int checkElementNo(const AMsg& msg, int n);
    static QString paramAt(const AMsg& msg, int i);
    // The unit named by the request's sub-address, or null after answering that there is none.
    VexDA* unitOfSubAddress(const AMsg& msg);
    bool resolveRegisterRequest(const AMsg& msg, int channelFromParams, VexDA*& unit, int& ch,
                                quint32& address);
    void answerPresetOfAllUnits(const AMsg& msg, const std::function<QString(const VexDA*)>& textOf);
    QVector<double> readRealTimes();
    QVector<double> readChannelTimes(bool live);
    // False, after answering so, when no HV unit is configured.
    bool hvUnitAvailable(const AMsg& msg);
    bool discardDataLink();
    void stopAcceptingDataLinks();
    void acceptDataLinks();
    void dropStaleReplies();
    void sendMcas();
    void eventDrivenSend();
    void blockingTransfer();

    Ui_Body ui;
    QColor alertColor;
    QColor rcvLogColor;
    DspSettingCtrl settingCtrl; // a window of its own
    Zephra* zephra = nullptr;
    QTcpServer dataLinkServer{this}; // a child of the window, as is the link it accepts
    QTcpSocket* dataLink = nullptr;
    QDataStream* dataLinkStream = nullptr;
    QString dataLinkIp;
    int dataLinkPort = 0;
    bool simpleTrans = true;
    bool resendAfterReconnect = false;
    bool waitingForAck = false;
    int ackWaitMs = 3000;
    QTimer ackTimer;
    QByteArray rxBuffer;
    QByteArray ackWord;
    QByteArray nackWord;
    WordFinder wordFinder;
    VexDAs vexDAs;
    QVector<ChannelRef> channels;
    int normalizeType = 2;
    std::unique_ptr<VexHv> vexHv; // null when none is configured
};
