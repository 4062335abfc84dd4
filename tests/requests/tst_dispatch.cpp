#include "tests/support/RequestRig.h"

#include <QtTest>

// The program as a client of the server sees it: every command word reaches its handler and
// is answered once, under the name it was addressed by, and the shared parameter checks
// answer their texts; Status and SetConfig against the units' registers, and HVVol while the
// HV unit does not answer.
class TestDispatch : public QObject
{
    Q_OBJECT

    std::unique_ptr<TavikRig> rig;

    static constexpr quint32 coarseGain = A::channelBase; // the first register of a channel
    static constexpr int sweepMs = 15000; // the HV unit's 2 s ramp, polled every 200 ms, under load

    QString ask(const QString& r, const QString& sub = {}) { return rig->ctrl.ask(r, sub); }
    QString asks(const QStringList& r, const QString& sub = {}) { return rig->ctrl.asks(r, sub); }
    QString ask1(const QString& r) { return rig->ctrl.ask(r, "dsp1"); }
    QString asks1(const QStringList& r) { return rig->ctrl.asks(r, "dsp1"); }

    int requestCount() { return rig->takeRequests(0).size() + rig->takeRequests(1).size(); }

private Q_SLOTS:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        rig->extraConfig = "VEXHV hv1 127.0.61.4\n";
        const QString error = rig->startWithUnits("127.0.61.2", {"1 0 1 1", "0 1 0 1"}, true); // 5 elements
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup() { QCOMPARE(rig->leftovers(), QString()); }

    void everyCommandWordReachesItsHandler()
    {
        QCOMPARE(ask("Help"),
                 QString("Commands : Hello Help IsBusy GetMCALength GetPeakingTime RunStart Resume RunStop "
                         "Clear Start Stop GetMCAs SetNormalizeType GetNormalizeType SetPresetType "
                         "GetPresetType SetPresetValue GetPresetValue SetROI SetROIs GetROI GetROIs "
                         "GetValue GetValueInROI GetValues GetValuesInROI GetRealTime GetLiveTime "
                         "GetRealTimes GetLiveTimes GetDeadTimes HVStart HVStop HVStat2 HVVol "
                         "GetThreshold GetCalibration GetDynamicRange GetPreAMPGain GetDataLinkCh Status "
                         "SetConfig GetHistgram GetMeasTimeInSec SetMeasTimeInSec"));
        QCOMPARE(asks({"Help GetROI more", "Help runstart", "Hello", "IsBusy", "GetMCALength"}),
                 QString(": Get ROI of a Ch|Er: Command [runstart] not found.|Hello! I am Tavik. Nice to "
                         "meet you!|0|4096"));
        QCOMPARE(asks({"SetNormalizeType live", "GetNormalizeType any thing"}),
                 QString("Ok: Normalize type Live|Live"));

        // The start and stop requests, told apart by what they write to each unit and announce:
        // request|writes to Clear|writes to Start|event
        requestCount();
        rig->ctrl.takeEvents();
        for (const QString run :
             {"RunStart|0 1 0|0 1|ChangedIsBusy 1", "RunStop||0|ChangedIsBusy 0",
              "Resume||0 1|ChangedIsBusy 1", "Stop||0|ChangedIsBusy 0", "Start||0 1|ChangedIsBusy 1",
              "RunStop||0|ChangedIsBusy 0", "Clear|0 1 0||"}) {
            QCOMPARE(ask(run.section('|', 0, 0)), QString("Ok:"));
            for (int unit = 0; unit < 2; ++unit) {
                const QList<QByteArray> sent = rig->takeRequests(unit);
                QCOMPARE(joinedCounts(writesTo(sent, A::clear)) + '|' +
                             joinedCounts(writesTo(sent, A::start)),
                         run.section('|', 1, 2));
            }
            QCOMPARE(rig->ctrl.takeEvents().join(','), run.section('|', 3));
        }

        // Fixed answers, whatever the parameters, and nothing sent to a unit.
        QCOMPARE(asks({"GetThreshold 3 x", "GetCalibration", "GetDynamicRange 1 2", "GetPreAMPGain"}),
                 QString("0|0|1|1"));
        QCOMPARE(requestCount(), 0);
        QCOMPARE(ask("getmcalength"), QString("Er: Unknown Command")); // words are exact
        // The emulated HV unit ramps to 150 V, the word 57342.
        QCOMPARE(ask("HVStart"), QString("Ok:"));
        QVERIFY(rig->ctrl.waitForEvent("ChangedHVStat 2", sweepMs));
        QCOMPARE(rig->ctrl.takeEvents().filter("HV"), (QStringList{"ChangedHVStat 1", "ChangedHVStat 2"}));
        rig->emu->setFaults(2, UnitFaults{true}); // silent: what it last told, not -200 V
        QCOMPARE(asks({"HVStat2 any", "HVVol"}), QString("2|149.998"));
        rig->emu->setFaults(2, UnitFaults());
        QCOMPARE(ask("HVStop x"), QString("Ok:"));
        QVERIFY(rig->ctrl.waitForEvent("ChangedHVStat 0", sweepMs));
        QCOMPARE(rig->ctrl.takeEvents().filter("HV"), (QStringList{"ChangedHVStat 1", "ChangedHVStat 0"}));
        // No consumer on the data link: the data wait for one.
        QCOMPARE(asks({"GetDataLinkCh", "GetMCAs"}), QString("localhost 6058|Ok:"));
        // Built-in words are answered whatever the kind of message; other answers and events
        // are no requests.
        QCOMPARE(rig->ctrl.answersTo("_Help GetThreshold"),
                 QStringList{"<@Help : Get Thresold of a ch  (returns dummy value)>"});
        QCOMPARE(rig->ctrl.answersTo("@GetROI 5") + rig->ctrl.answersTo("_GetMCALength"), QStringList());
    }

    void parameterChecks()
    {
        rig->emu->setHistogram(0, 0, {1, 2, 3});
        QCOMPARE(ask("GetHistgram abc"), joinedCounts(rig->emu->histogram(0, 0)));
        requestCount();
        for (const char* request : {"GetHistgram 5", "GetHistgram -1", "GetPeakingTime 5", "GetROI 5",
                                    "GetValue 5", "GetValueInROI 9", "SetROI 5 1 2"})
            QCOMPARE(ask(request), QString("Er: Elment No."));
        for (const char* request : {"SetROI 0 1", "SetROI 0 1 2 3"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 3"));
        for (const char* request :
             {"GetHistgram 0 1", "GetHistgram", "RunStart 1 2", "Resume 1 2", "Start a b", "SetNormalizeType",
              "SetNormalizeType a b", "SetPresetType", "SetPresetValue 1 2"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 1"));
        for (const char* request : {"GetMCAs x", "Clear x", "RunStop x", "Stop x", "GetMCALength x",
                                    "GetPresetType x", "GetPresetValue x", "GetRealTime x", "GetLiveTime x",
                                    "GetRealTimes x", "GetLiveTimes x", "GetDeadTimes x", "GetROIs x"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 0"));
        QCOMPARE(requestCount(), 0); // a refused request leaves the units alone
        QCOMPARE(rig->ctrl.takeEvents(), QStringList());
        QCOMPARE(ask("GetROI 0"), QString("0 2047"));
    }

    void statusAndSetConfigUseTheResolvedAddress()
    {
        rig->emu->setReg(0, A::mode, 0x1234);
        rig->emu->setReg(0, channelAddress(coarseGain, 3), 77);
        rig->emu->setReg(0, coarseGain, 5);
        rig->emu->pinReg(0, channelAddress(A::fTotalCount2, 1), 0xBEEF);
        rig->takeRequests(0);
        QCOMPARE(ask1("Status Mode 2"), QString("Mode 2 4660 0x1234")); // unit-wide: no offset
        QCOMPARE(requestTexts(rig->takeRequests(0)), QStringList("read b4000010 x2 id6"));
        // The channel is held to 0-3; without one the key's own address.
        QCOMPARE(ask1("Status CoarseGain 9"), QString("CoarseGain 3 77 0x4d"));
        QCOMPARE(readsOf(rig->takeRequests(0)), QVector<quint32>{channelAddress(coarseGain, 3)});
        QCOMPARE(asks1({"Status CoarseGain -4", "Status CoarseGain"}),
                 QString("CoarseGain 0 5 0x5|CoarseGain 5 0x5"));
        QCOMPARE(ask1("Status FTotalCount2 1"), QString("FTotalCount2 1 48879 0xbeef"));
        QCOMPARE(ask1("Status DTDelay1"), QString("DTDelay1 0 0x0"));
        UnitFaults longer;
        longer.extraAnswerBytes = 40; // once read as 21674681358877958
        rig->emu->setFaults(0, longer);
        QCOMPARE(ask1("Status CoarseGain"), QString("CoarseGain 0 0x0"));
        rig->emu->setFaults(0, UnitFaults());
        rig->emu->setReg(1, A::mode, 9);
        rig->takeRequests(0);
        QCOMPARE(asks({"Status Mode", "SetConfig Mode 3"}, "dsp2"), QString("Mode 9 0x9|Mode 3 0x3"));
        QCOMPARE(rig->takeRequests(0).size(), 0);

        QCOMPARE(ask1("SetConfig CoarseGain 9 70000"), QString("CoarseGain 3 4464 0x1170"));
        QCOMPARE(requestTexts(rig->takeRequests(0)), QStringList("write b4000800 x2 id7 = 1170"));
        QCOMPARE(ask1("SetConfig CoarseGain 0x10001"), QString("CoarseGain 1 0x1"));
        QCOMPARE(requestTexts(rig->takeRequests(0)), QStringList("write b4000200 x2 id7 = 1"));
        QCOMPARE(asks1({"SetConfig Mode", "SetConfig Mode 2 7"}), QString("Mode 0 0x0|Mode 2 7 0x7"));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(7));
        // The answer shows what the unit says after the write: a counter ignores it.
        rig->emu->pinReg(0, A::fTotalCount1, 9);
        QCOMPARE(ask1("SetConfig FTotalCount1 0 5"), QString("FTotalCount1 0 9 0x9"));

        rig->takeRequests(0);
        rig->takeRequests(1);
        for (const char* key : {"coarsegain", "\"HV Stat\"", ""})
            QCOMPARE(ask1(QString("Status %1").arg(key).trimmed()),
                     QString("Er: No Status [%1]").arg(QString(key).remove('"')));
        QCOMPARE(ask1("SetConfig coarsegain 1 2"), QString("Er: No Status [coarsegain]"));
        for (const char* sub : {"dsp9", "Dsp1", ""})
            QCOMPARE(asks({"Status Mode", "SetConfig Mode 1"}, sub),
                     QString("Er: No dsp of id %1|Er: No dsp of id %1").arg(sub));
        QCOMPARE(rig->takeRequests(0).size() + rig->takeRequests(1).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "tst_dispatch.moc"
