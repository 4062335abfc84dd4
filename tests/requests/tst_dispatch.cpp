#include "RequestRig.h"

#include <QSet>
#include <QtTest>

namespace A = UnitAddresses;

// The program as a client of the server sees it: every command word reaches its handler and
// is answered once, and the shared parameter checks answer their texts.
class TestDispatch : public QObject
{
    Q_OBJECT

    // dsp1 channels 0, 2, 3 and dsp2 channels 1, 3: elements 0-2 on unit 0, 3-4 on unit 1.
    static constexpr int elements = 5;
    static constexpr int sweepMs = 15000; // the HV unit's 2 s ramp, polled every 200 ms, under load
    std::unique_ptr<TavikRig> rig;
    QSet<QString> asked;

    QString ask(const QString& request, const QString& sub = QString())
    {
        asked << request.section(' ', 0, 0);
        return rig->ctrl.ask(request, sub);
    }

    QString startWithUnits()
    {
        rig = std::make_unique<TavikRig>();
        QString error = rig->startUnits("127.0.61.2", 2, true);
        rig->extraConfig = "VEXHV hv1 127.0.61.4\n";
        if (error.isEmpty())
            error = rig->startTavik(
                {"dsp1 " + rig->unitIp(0) + " 1 0 1 1", "dsp2 " + rig->unitIp(1) + " 0 1 0 1"});
        return error;
    }

    QList<QByteArray> takeRequests(int unit)
    {
        const QList<QByteArray> r = rig->emu->requests(unit);
        rig->emu->clearRequests(unit);
        return r;
    }

    int requestCount() { return rig->emu->requests(0).size() + rig->emu->requests(1).size(); }

private slots:
    void init() { asked.clear(); }

    void cleanup()
    {
        if (rig) {
            QVERIFY2(rig->ctrl.noAnswerWithin(100), qPrintable(rig->ctrl.strays.join('\n')));
            QVERIFY(rig->tavikRunning());
        }
        rig.reset();
    }

    void everyCommandWordReachesItsHandler()
    {
        const QString error = startWithUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(ask("Hello"), QString("Hello! I am Tavik. Nice to meet you!"));
        const QString help = ask("Help");
        QVERIFY2(help.startsWith("Commands : "), qPrintable(help));
        const QStringList table = help.mid(11).split(' ');
        QCOMPARE(ask("IsBusy"), QString("0"));

        QCOMPARE(ask("GetMCALength"), QString("4096"));
        rig->emu->pinReg(0, channelAddress(A::sFilterPeakingT, 2), 345);
        QCOMPARE(ask("GetPeakingTime 1"), QString("3.45"));

        QCOMPARE(ask("SetNormalizeType live"), QString("Ok: Normalize type Live"));
        QCOMPARE(ask("GetNormalizeType"), QString("Live"));
        QCOMPARE(ask("SetPresetType 1"), QString("Ok:"));
        QCOMPARE(ask("GetPresetType"), QString("1"));
        QCOMPARE(ask("SetPresetValue 0.25"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("0.25"));
        QCOMPARE(rig->emu->regs(0, A::measTime1, 3), quint64(25000000));
        QCOMPARE(rig->emu->regs(1, A::measTime1, 3), quint64(25000000));
        QCOMPARE(ask("SetPresetType none"), QString("Ok:"));
        QCOMPARE(rig->emu->regs(1, A::measTime1, 3), A::noPreset);

        // The start and stop requests, told apart by what they write to the units.
        struct Run
        {
            const char* request;
            QVector<quint64> clear, start;
            const char* event;
        };
        const Run runs[] = {
            {"RunStart", {0, 1, 0}, {0, 1}, "ChangedIsBusy 1"},
            {"RunStop", {}, {0}, "ChangedIsBusy 0"},
            {"Resume", {}, {0, 1}, "ChangedIsBusy 1"},
            {"Stop", {}, {0}, "ChangedIsBusy 0"},
            {"Start", {}, {0, 1}, "ChangedIsBusy 1"},
            {"RunStop", {}, {0}, "ChangedIsBusy 0"},
            {"Clear", {0, 1, 0}, {}, nullptr},
        };
        takeRequests(0);
        takeRequests(1);
        rig->ctrl.takeEvents();
        for (const Run& run : runs) {
            QCOMPARE(ask(run.request), QString("Ok:"));
            for (int unit = 0; unit < 2; ++unit) {
                const QList<QByteArray> sent = takeRequests(unit);
                QCOMPARE(writesTo(sent, A::clear), run.clear);
                QCOMPARE(writesTo(sent, A::start), run.start);
            }
            QCOMPARE(rig->ctrl.takeEvents(), run.event ? QStringList{run.event} : QStringList());
        }

        pinWords(*rig->emu, 0, A::realTime1, 300000000, 3);
        pinWords(*rig->emu, 1, A::realTime1, 100000000, 3);
        QCOMPARE(ask("GetRealTime"), QString("2"));
        QCOMPARE(ask("GetRealTimes"), QString("3 1"));
        QCOMPARE(ask("GetLiveTimes").split(' ').size(), elements);
        QCOMPARE(ask("GetDeadTimes").split(' ').size(), elements);
        const QString live = ask("GetLiveTime");
        bool isNumber = false;
        live.toDouble(&isNumber);
        QVERIFY2(isNumber, qPrintable(live));

        QCOMPARE(ask("SetROI 1 20 10"), QString("Ok:"));
        QCOMPARE(ask("GetROI 1"), QString("10 20"));
        QCOMPARE(ask("SetROIs 5 6"), QString("Ok:"));
        QCOMPARE(ask("GetROIs"), QString("5 6 5 6 5 6 5 6 5 6"));

        for (int unit = 0; unit < 2; ++unit)
            for (int ch = 0; ch < 4; ++ch)
                rig->emu->setHistogram(unit, ch, QVector<quint32>(4096, 2));
        QCOMPARE(ask("GetValue 0"), QString("2"));
        QCOMPARE(ask("GetValueInROI 4"), QString("2"));
        for (const char* values : {"GetValues", "GetValuesInROI"}) {
            const QStringList fields = ask(values).split(' ');
            QCOMPARE(fields.size(), 1 + 4 * elements);
            QCOMPARE(fields.first(), QString("20"));
        }
        rig->emu->setHistogram(1, 1, {7, 0, 4294967295u});
        QCOMPARE(ask("GetHistgram 3"), joinedCounts(rig->emu->histogram(1, 1)));

        rig->emu->setReg(0, A::mode, 0x2a);
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 42 0x2a"));
        QCOMPARE(ask("SetConfig Mode 3", "dsp2"), QString("Mode 3 0x3"));
        QCOMPARE(rig->emu->reg(1, A::mode), quint16(3));
        QCOMPARE(ask("SetMeasTimeInSec 2", "dsp2"), QString("Ok:"));
        QCOMPARE(rig->emu->regs(1, A::measTime1, 3), quint64(200000000));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp2"), QString("2"));

        // Fixed answers, whatever the parameters, and nothing sent to a unit.
        const int before = requestCount();
        QCOMPARE(ask("GetThreshold 3 x"), QString("0"));
        QCOMPARE(ask("GetCalibration"), QString("0"));
        QCOMPARE(ask("GetDynamicRange 1 2 3"), QString("1"));
        QCOMPARE(ask("GetPreAMPGain 9"), QString("1"));
        QCOMPARE(requestCount(), before);

        // The emulated HV unit ramps to 150 V, the word 57342.
        QCOMPARE(ask("HVStart"), QString("Ok:"));
        QVERIFY(rig->ctrl.waitForEvent("ChangedHVStat 2", sweepMs));
        QCOMPARE(rig->ctrl.takeEvents().filter("HV"), (QStringList{"ChangedHVStat 1", "ChangedHVStat 2"}));
        QCOMPARE(ask("HVStat2 any"), QString("2"));
        QCOMPARE(ask("HVVol"), QString("149.998"));
        QCOMPARE(ask("HVStop x"), QString("Ok:"));
        QVERIFY(rig->ctrl.waitForEvent("ChangedHVStat 0", sweepMs));
        QCOMPARE(rig->ctrl.takeEvents().filter("HV"), (QStringList{"ChangedHVStat 1", "ChangedHVStat 0"}));

        QCOMPARE(ask("GetDataLinkCh"), QString("localhost 6058"));
        QCOMPARE(ask("GetMCAs"), QString("Ok:")); // no consumer: the data wait for one

        QCOMPARE(QSet<QString>(table.begin(), table.end()), asked);
        QCOMPARE(table.size(), 45);
    }

    void parameterChecks()
    {
        const QString error = startWithUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        rig->emu->setHistogram(0, 0, {1, 2, 3});
        rig->emu->setHistogram(1, 3, {4, 5, 6});

        QCOMPARE(ask("GetHistgram 0 1"), QString("Er: Number of Params shuld be 1"));
        QCOMPARE(ask("GetHistgram"), QString("Er: Number of Params shuld be 1"));
        QCOMPARE(ask(QString("GetHistgram %1").arg(elements)), QString("Er: Elment No."));
        QCOMPARE(ask("GetHistgram -1"), QString("Er: Elment No."));
        QCOMPARE(ask("GetHistgram abc"), joinedCounts(rig->emu->histogram(0, 0)));
        QCOMPARE(ask(QString("GetHistgram %1").arg(elements - 1)), joinedCounts(rig->emu->histogram(1, 3)));
        for (const char* request :
             {"GetPeakingTime 5", "GetROI 5", "GetValue 5", "GetValueInROI 9", "SetROI 5 1 2"})
            QCOMPARE(ask(request), QString("Er: Elment No."));
        QCOMPARE(ask("SetROI 0 1"), QString("Er: Number of Params shuld be 3"));
        QCOMPARE(ask("SetROI 0 1 2 3"), QString("Er: Number of Params shuld be 3"));
        QCOMPARE(ask("GetROI 0"), QString("0 2047"));

        // A refused request leaves the units alone.
        takeRequests(0);
        takeRequests(1);
        rig->ctrl.takeEvents();
        for (const char* request : {"RunStart 1 2", "Resume 1 2", "Start a b"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 1"));
        for (const char* request : {"GetMCAs x", "Clear x", "RunStop x", "Stop x", "GetMCALength x",
                                    "GetPresetType x", "GetPresetValue x", "GetRealTime x", "GetLiveTime x",
                                    "GetRealTimes x", "GetLiveTimes x", "GetDeadTimes x", "GetROIs x"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 0"));
        for (const char* request :
             {"SetNormalizeType", "SetNormalizeType a b", "SetPresetType", "SetPresetValue 1 2"})
            QCOMPARE(ask(request), QString("Er: Number of Params shuld be 1"));
        QCOMPARE(requestCount(), 0);
        QCOMPARE(rig->ctrl.takeEvents(), QStringList());

        QCOMPARE(ask("GetNormalizeType any thing"), QString("None"));
        QCOMPARE(ask("Nope"), QString("Er: Unknown Command"));
        QCOMPARE(ask("getmcalength"), QString("Er: Unknown Command"));
        QCOMPARE(ask("GetMCALength"), QString("4096"));
    }

    void withoutUnits()
    {
        rig = std::make_unique<TavikRig>();
        const QString error = rig->startTavik({});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const char* request : {"GetMCALength", "GetPresetType", "GetPresetValue"})
            QCOMPARE(ask(request), QString("Er: No DSPs are managed"));
        QCOMPARE(ask("GetROIs"), QString());
        QCOMPARE(ask("GetRealTime"), QString("0"));
        QCOMPARE(ask("GetLiveTime"), QString("0"));
        QCOMPARE(ask("GetRealTimes"), QString());
        QCOMPARE(ask("GetHistgram 0"), QString("Er: Elment No."));
        QCOMPARE(ask("SetROIs 1 2"), QString("Ok:"));
        QCOMPARE(ask("SetROIs 1 2 3"), QString("Er: num of params"));
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Er: No dsp of id dsp1"));
        QCOMPARE(ask("RunStart 3"), QString("Ok:"));
        QCOMPARE(ask("RunStop"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList());
        for (const char* request : {"HVStart", "HVStop 1", "HVStat2", "HVVol x"})
            QCOMPARE(ask(request), QString("Er: HV unit is not avaliable."));
    }
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "tst_dispatch.moc"
