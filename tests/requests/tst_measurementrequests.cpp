#include "RequestRig.h"

#include <QtTest>

namespace A = UnitAddresses;

// Starting, stopping and presetting measurements through the real program, with two
// emulated units whose busy states the program announces as one.
class TestMeasurementRequests : public QObject
{
    Q_OBJECT

    static constexpr int eventWaitMs = 5000;
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& request, const QString& sub = QString())
    {
        return rig->ctrl.ask(request, sub);
    }

    QVector<quint64> startWrites(int unit)
    {
        const QVector<quint64> w = writesTo(rig->emu->requests(unit), A::start);
        rig->emu->clearRequests(unit);
        return w;
    }

    quint64 realTicks(int unit) { return rig->emu->regs(unit, A::realTime1, 3); }
    quint64 measTicks(int unit) { return rig->emu->regs(unit, A::measTime1, 3); }

private slots:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        QString error = rig->startUnits("127.0.62.2", 2);
        if (error.isEmpty())
            error = rig->startTavik(
                {"dsp1 " + rig->unitIp(0) + " 1 1 0 0", "dsp2 " + rig->unitIp(1) + " 1 0 0 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup()
    {
        QVERIFY2(rig->ctrl.noAnswerWithin(100), qPrintable(rig->ctrl.strays.join('\n')));
        QVERIFY(rig->tavikRunning());
        rig.reset();
    }

    void presetRunEndsWithTheIdleEvent()
    {
        QCOMPARE(ask("SetPresetType REAL"), QString("Ok:"));
        QCOMPARE(ask("SetPresetValue 1"), QString("Ok:"));
        QCOMPARE(measTicks(0), quint64(100000000));
        QCOMPARE(measTicks(1), quint64(100000000));

        QElapsedTimer sinceStart;
        sinceStart.start();
        QCOMPARE(ask("RunStart 1"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList{"ChangedIsBusy 1"});
        QCOMPARE(ask("IsBusy"), QString("0")); // the server client's own flag is not the units'
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", eventWaitMs));
        const qint64 ms = sinceStart.elapsed();
        QVERIFY2(ms >= 900 && ms < 3000, qPrintable(QString::number(ms)));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList{"ChangedIsBusy 0"});
        QCOMPARE(realTicks(0), quint64(100000000));
        QCOMPARE(realTicks(1), quint64(100000000));
        QCOMPARE(ask("GetRealTimes"), QString("1 1"));

        // The same number again: all stopped, none restarted, and each unit in turn makes the
        // group announce a busy pulse.
        startWrites(0);
        startWrites(1);
        QCOMPARE(ask("RunStart 1"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(),
                 (QStringList{"ChangedIsBusy 1", "ChangedIsBusy 0", "ChangedIsBusy 1", "ChangedIsBusy 0"}));
        QCOMPARE(startWrites(0), QVector<quint64>{0});
        QCOMPARE(startWrites(1), QVector<quint64>{0});
        QCOMPARE(ask("GetRealTime"), QString("0")); // cleared by RunStart, not started again
    }

    void sameNumberStopsAllAndRestartsNone()
    {
        QCOMPARE(ask("SetPresetType NONE"), QString("Ok:"));
        QCOMPARE(measTicks(0), A::noPreset);
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList{"ChangedIsBusy 1"});
        QCOMPARE(startWrites(0), (QVector<quint64>{0, 1}));
        QCOMPARE(startWrites(1), (QVector<quint64>{0, 1}));

        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), (QStringList{"ChangedIsBusy 0", "ChangedIsBusy 1", "ChangedIsBusy 0",
                                                      "ChangedIsBusy 1", "ChangedIsBusy 0"}));
        QCOMPARE(startWrites(0), QVector<quint64>{0});
        QCOMPARE(startWrites(1), QVector<quint64>{0});
        const quint64 stopped = realTicks(0);
        QTest::qWait(100);
        QCOMPARE(realTicks(0), stopped);

        // Without a number the units start again whatever ran before.
        QCOMPARE(ask("RunStart"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList{"ChangedIsBusy 1"});
        QCOMPARE(startWrites(0), (QVector<quint64>{0, 1}));
        QCOMPARE(startWrites(1), (QVector<quint64>{0, 1}));
        QTRY_VERIFY_WITH_TIMEOUT(realTicks(1) > 0, 2000);
        // 0 is no number to repeat: it restarts too.
        QCOMPARE(ask("RunStart 0"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), (QStringList{"ChangedIsBusy 0", "ChangedIsBusy 1"}));
        QCOMPARE(startWrites(1), (QVector<quint64>{0, 1}));

        QCOMPARE(ask("RunStop"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList{"ChangedIsBusy 0"});
        QCOMPARE(rig->emu->reg(0, A::start), quint16(0));
        QCOMPARE(rig->emu->reg(1, A::start), quint16(0));
    }

    void resumeKeepsWhatWasCounted()
    {
        QCOMPARE(ask("RunStart"), QString("Ok:"));
        QTest::qWait(300);
        QCOMPARE(ask("Stop"), QString("Ok:"));
        const quint64 first = realTicks(0);
        QVERIFY(first >= 30000000);
        QVERIFY(sumOf(rig->emu->histogram(0, 0), 0, 4096) > 0);

        QCOMPARE(ask("Resume"), QString("Ok:"));
        QTest::qWait(100);
        QCOMPARE(ask("RunStop"), QString("Ok:"));
        QVERIFY(realTicks(0) >= first + 10000000);
        QCOMPARE(writesTo(rig->emu->requests(0), A::clear),
                 (QVector<quint64>{0, 1, 0})); // the RunStart's only
        QCOMPARE(rig->ctrl.takeEvents(),
                 (QStringList{"ChangedIsBusy 1", "ChangedIsBusy 0", "ChangedIsBusy 1", "ChangedIsBusy 0"}));

        QCOMPARE(ask("Clear"), QString("Ok:"));
        QCOMPARE(realTicks(0), quint64(0));
        QCOMPARE(sumOf(rig->emu->histogram(0, 0), 0, 4096), quint64(0));
        QCOMPARE(rig->ctrl.takeEvents(), QStringList());
    }

    void presetTypesAndValues()
    {
        QCOMPARE(ask("GetPresetType"), QString("0"));
        QCOMPARE(ask("GetPresetValue"), QString("1"));
        QCOMPARE(ask("SetPresetType live"), QString("Ok:"));
        QCOMPARE(ask("GetPresetType"), QString("2"));
        QCOMPARE(measTicks(1), quint64(100000000)); // a live preset is programmed as a real one
        QCOMPARE(ask("SetPresetType 7"), QString("Ok:"));
        QCOMPARE(ask("GetPresetType"), QString("1"));
        QCOMPARE(ask("SetPresetValue 2.5"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("2.5"));
        QCOMPARE(measTicks(0), quint64(250000000));
        QCOMPARE(measTicks(1), quint64(250000000));
        QCOMPARE(ask("SetPresetValue 1e9"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("1e+09"));
        QCOMPARE(measTicks(0), Q_UINT64_C(0xFFFFFFFFFFFF));
        QCOMPARE(ask("SetPresetValue -4"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("-4"));
        QCOMPARE(measTicks(1), quint64(0));
        QCOMPARE(ask("SetPresetValue abc"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("0"));
        QCOMPARE(ask("SetPresetValue 3"), QString("Ok:"));
        for (const char* none : {"-3", "xyz", "None"}) {
            QCOMPARE(ask("SetPresetType 1"), QString("Ok:"));
            QCOMPARE(measTicks(0), quint64(300000000));
            QCOMPARE(ask(QString("SetPresetType %1").arg(none)), QString("Ok:"));
            QCOMPARE(ask("GetPresetType"), QString("0"));
            QCOMPARE(measTicks(0), A::noPreset);
            QCOMPARE(measTicks(1), A::noPreset);
        }
    }

    void normalizeType()
    {
        QCOMPARE(ask("SetNormalizeType foo"), QString("Ok: Normalize type None"));
        QCOMPARE(ask("GetNormalizeType"), QString("None"));
        QCOMPARE(ask("SetNormalizeType 0"), QString("Ok: Normalize type Real"));
        QCOMPARE(ask("SetNormalizeType LiVe"), QString("Ok: Normalize type Live"));
        QCOMPARE(ask("SetNormalizeType 3"), QString("Ok: Normalize type Live"));
        QCOMPARE(ask("GetNormalizeType"), QString("Live"));
        QCOMPARE(ask("SetNormalizeType 2"), QString("Ok: Normalize type None"));
    }

    void measTimeBySubAddress()
    {
        rig->emu->clearRequests(0);
        QCOMPARE(ask("SetMeasTimeInSec 1.5", "dsp2"), QString("Ok:"));
        QCOMPARE(measTicks(1), quint64(150000000));
        QCOMPARE(measTicks(0), A::noPreset);
        QCOMPARE(rig->emu->requests(0).size(), 0);
        QCOMPARE(ask("GetMeasTimeInSec", "dsp2"), QString("1.5"));
        QCOMPARE(ask("GetMeasTimeInSec ignored", "dsp1"), secondsText(A::noPreset));
        QCOMPARE(ask("GetPresetValue"), QString("1")); // the preset itself is not changed

        QCOMPARE(ask("SetMeasTimeInSec 12345.5", "dsp1"), QString("Ok:"));
        QCOMPARE(measTicks(0), Q_UINT64_C(1234550000000));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp1"), QString("12345.5"));
        QCOMPARE(ask("SetMeasTimeInSec -1", "dsp1"), QString("Ok:"));
        QCOMPARE(measTicks(0), quint64(0));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp1"), QString("0"));

        const int before = rig->emu->requests(0).size() + rig->emu->requests(1).size();
        QCOMPARE(ask("SetMeasTimeInSec 2", "DSP1"), QString("Er: No dsp of id DSP1"));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp3"), QString("Er: No dsp of id dsp3"));
        QCOMPARE(ask("SetMeasTimeInSec 2"), QString("Er: No dsp of id "));
        QCOMPARE(rig->emu->requests(0).size() + rig->emu->requests(1).size(), before);

        // The next preset request programs the registers from the preset again.
        QCOMPARE(ask("SetPresetType REAL"), QString("Ok:"));
        QCOMPARE(measTicks(0), quint64(100000000));
        QCOMPARE(measTicks(1), quint64(100000000));
    }

    void peakingTimeOfAnElement()
    {
        // Elements: dsp1 channels 0 and 1, dsp2 channels 0 and 3.
        rig->emu->pinReg(0, channelAddress(A::sFilterPeakingT, 1), 200);
        rig->emu->setReg(0, channelAddress(A::sFilterPeakingT, 0), 1234);
        rig->emu->pinReg(1, channelAddress(A::sFilterPeakingT, 3), 65535);
        QCOMPARE(ask("GetPeakingTime 1"), QString("2"));
        QCOMPARE(ask("GetPeakingTime 0"), QString("12.34"));
        rig->emu->clearRequests(1);
        QCOMPARE(ask("GetPeakingTime 3"), QString("655.35"));
        QCOMPARE(readsOf(rig->emu->requests(1)), QVector<quint32>{channelAddress(A::sFilterPeakingT, 3)});
        QCOMPARE(ask("GetMCALength"), QString("4096"));
    }
};

QTEST_GUILESS_MAIN(TestMeasurementRequests)
#include "tst_measurementrequests.moc"
