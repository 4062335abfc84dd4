#include "sim/LineClient.h"
#include "sim/StandInServer.h"
#include "zephra/Zephra.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Requests from another client of the stand-in server, answered by the logged-in client.
class TestZephraDispatch : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;

    QTemporaryDir dir;
    StandInServer* server = nullptr;
    Zephra* zephra = nullptr;
    LineClient* ctrl = nullptr;

    QByteArray ask(const QByteArray& line)
    {
        ctrl->send(line + '\n');
        return ctrl->readLine();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("zephra.keys", "k0\nk1\n"));
        QVERIFY(writeTextFile("Tavik.key", "k0\nk1\n"));
        server = new StandInServer(standInConfig("zephra.keys", 3));
        QVERIFY2(server->started, qPrintable(server->error));

        zephra = new Zephra;
        zephra->setFields("127.0.0.1", QString::number(server->port), "Tavik", "Tavik.key");
        QSignalSpy ready(zephra, &Zephra::zephraIsReady);
        zephra->connectToZephra();
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);

        ctrl = new LineClient;
        QVERIFY(ctrl->open(server->port) && ctrl->logIn("ctrl1", "k1"));
    }

    void cleanupTestCase()
    {
        delete ctrl;
        delete zephra;
        delete server;
    }

    void answersHelloUnderTheNameItWasAddressedBy()
    {
        QCOMPARE(ask("ctrl1>Tavik Hello"),
                 QByteArray("Tavik>ctrl1 @Hello Hello! I am Tavik. Nice to meet you!\n"));
        QCOMPARE(ask("ctrl1.a>Tavik.sub Hello"),
                 QByteArray("Tavik.sub>ctrl1.a @Hello Hello! I am Tavik. Nice to meet you!\n"));
        // A built-in word is answered whatever the kind of message.
        QCOMPARE(ask("ctrl1>Tavik @Hello x"),
                 QByteArray("Tavik>ctrl1 @Hello Hello! I am Tavik. Nice to meet you!\n"));
    }

    void answersHelp()
    {
        QCOMPARE(
            ask("ctrl1>Tavik Help"),
            QByteArray("Tavik>ctrl1 @Help Commands : Hello Help IsBusy GetMCALength GetPeakingTime RunStart "
                       "Resume RunStop Clear Start Stop GetMCAs SetNormalizeType GetNormalizeType "
                       "SetPresetType GetPresetType SetPresetValue GetPresetValue SetROI SetROIs GetROI "
                       "GetROIs GetValue GetValueInROI GetValues GetValuesInROI GetRealTime GetLiveTime "
                       "GetRealTimes GetLiveTimes GetDeadTimes HVStart HVStop HVStat2 HVVol GetThreshold "
                       "GetCalibration GetDynamicRange GetPreAMPGain GetDataLinkCh Status SetConfig "
                       "GetHistgram GetMeasTimeInSec SetMeasTimeInSec\n"));
        QCOMPARE(ask("ctrl1>Tavik Help GetROI more"), QByteArray("Tavik>ctrl1 @Help : Get ROI of a Ch\n"));
        QCOMPARE(ask("ctrl1>Tavik Help runstart"),
                 QByteArray("Tavik>ctrl1 @Help Er: Command [runstart] not found.\n"));
        QCOMPARE(ask("ctrl1>Tavik _Help GetThreshold"),
                 QByteArray("Tavik>ctrl1 @Help : Get Thresold of a ch  (returns dummy value)\n"));
    }

    void answersIsBusyAndAnnouncesChanges()
    {
        QCOMPARE(ask("ctrl1>Tavik IsBusy"), QByteArray("Tavik>ctrl1 @IsBusy 0\n"));
        zephra->setBusy(true);
        QCOMPARE(ctrl->readLine(), QByteArray("Tavik>System _ChangedIsBusy 1\n"));
        zephra->setBusy(true);
        QVERIFY(zephra->busy());
        QCOMPARE(ask("ctrl1>Tavik IsBusy"), QByteArray("Tavik>ctrl1 @IsBusy 1\n"));
        zephra->setBusy(false);
        QCOMPARE(ctrl->readLine(), QByteArray("Tavik>System _ChangedIsBusy 0\n"));
        QVERIFY(!zephra->busy());
    }

    void handsOtherMessagesOnByKind()
    {
        QSignalSpy asks(zephra, &Zephra::anyAsk);
        QSignalSpy answers(zephra, &Zephra::anyAns);
        QSignalSpy events(zephra, &Zephra::anyEvent);
        ctrl->send("ctrl1>Tavik getmcalength 1\nctrl1>Tavik.u GetMCALength\nctrl1>Tavik @GetROI 5\n"
                   "ctrl1>Tavik _Ev 1 2\n");
        QTRY_COMPARE_WITH_TIMEOUT(events.count(), 1, waitMs);
        QCOMPARE(asks.count(), 2);
        QCOMPARE(answers.count(), 1);
        const AMsg unknown = asks.at(0).at(0).value<AMsg>();
        QCOMPARE(unknown.id, 46);
        QCOMPARE(unknown.params, QStringList({"1"}));
        const AMsg known = asks.at(1).at(0).value<AMsg>();
        QCOMPARE(known.id, 4);
        QCOMPARE(known.toSub, QString("u"));
        QCOMPARE(answers.at(0).at(0).value<AMsg>().id, 23);
        QCOMPARE(events.at(0).at(0).value<AMsg>().cmd, QString("Ev"));
    }

    void sendsRequests()
    {
        QSignalSpy sent(zephra, &Zephra::sendingAskToZephra);
        zephra->sendAsk("s", "ctrl1", "Cmd", "1 2");
        QCOMPARE(ctrl->readLine(), QByteArray("Tavik.s>ctrl1 Cmd 1 2\n"));
        QCOMPARE(sent.at(0).at(0).toString(), QString("Tavik.s>ctrl1 Cmd 1 2"));
    }
};

QTEST_MAIN(TestZephraDispatch)
#include "tst_zephradispatch.moc"
