#include "RequestRig.h"

#include <QtTest>

// Starting, stopping and presetting measurements through the real program, with two
// emulated units whose busy states the program announces as one.
class TestMeasurementRequests : public QObject
{
    Q_OBJECT

    static constexpr int eventWaitMs = 5000;
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& r, const QString& sub = {}) { return rig->ctrl.ask(r, sub); }
    QString asks(const QStringList& r, const QString& sub = {}) { return rig->ctrl.asks(r, sub); }
    QVector<quint64> startWrites(int unit) { return writesTo(rig->takeRequests(unit), A::start); }
    quint64 ticks(int unit, quint32 address) { return rig->emu->regs(unit, address, 3); }
    QStringList pulses(int n)
    {
        return QString("ChangedIsBusy 1|ChangedIsBusy 0|").repeated(n).split('|', Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        const QString error = rig->startWithUnits("127.0.62.2", {"1 1 0 0", "1 0 0 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup() { QCOMPARE(rig->leftovers(), QString()); }

    void presetRunEndsWithTheIdleEvent()
    {
        QCOMPARE(asks({"SetPresetType REAL", "SetPresetValue 1"}), QString("Ok:|Ok:"));
        QElapsedTimer sinceStart;
        sinceStart.start();
        QCOMPARE(ask("RunStart 1"), QString("Ok:"));
        QCOMPARE(ask("IsBusy"), QString("0")); // the server client's own flag is not the units'
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", eventWaitMs));
        const qint64 ms = sinceStart.elapsed();
        QVERIFY2(ms >= 900 && ms < 3000, qPrintable(QString::number(ms)));
        QCOMPARE(rig->ctrl.takeEvents(), pulses(1));
        QCOMPARE(ask("GetRealTimes"), QString("1 1"));

        // The same number again: all stopped, none restarted, and each unit in turn makes the
        // group announce a busy pulse.
        startWrites(0);
        QCOMPARE(ask("RunStart 1"), QString("Ok:"));
        QCOMPARE(rig->ctrl.takeEvents(), pulses(2));
        QCOMPARE(startWrites(0), QVector<quint64>{0});
        QCOMPARE(ask("GetRealTime"), QString("0")); // cleared by RunStart, not started again
    }

    void runNumbersWhileRunning()
    {
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        startWrites(1);
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        QCOMPARE(startWrites(1), QVector<quint64>{0});
        QCOMPARE(rig->ctrl.takeEvents(), pulses(3));
        // Without a number, or with 0, the units start again whatever ran before.
        QCOMPARE(asks({"RunStart", "RunStart 0"}), QString("Ok:|Ok:"));
        QCOMPARE(startWrites(1), (QVector<quint64>{0, 1, 0, 1}));
        QCOMPARE(rig->ctrl.takeEvents(), pulses(2).mid(0, 3));
    }

    void resumeKeepsWhatWasCounted()
    {
        QCOMPARE(ask("RunStart"), QString("Ok:"));
        QTRY_VERIFY_WITH_TIMEOUT(ticks(0, A::realTime1) >= 20000000, eventWaitMs);
        QCOMPARE(ask("Stop"), QString("Ok:"));
        const quint64 first = ticks(0, A::realTime1);
        QVERIFY(sumOf(rig->emu->histogram(0, 0), 0, 4096) > 0);
        QCOMPARE(ask("Resume"), QString("Ok:"));
        QTRY_VERIFY_WITH_TIMEOUT(ticks(0, A::realTime1) >= first + 10000000, eventWaitMs);
        QCOMPARE(asks({"RunStop", "Clear"}), QString("Ok:|Ok:"));
        QCOMPARE(writesTo(rig->takeRequests(0), A::clear), (QVector<quint64>{0, 1, 0, 0, 1, 0}));
        QCOMPARE(rig->ctrl.takeEvents(), pulses(2));
        QCOMPARE(ticks(0, A::realTime1), quint64(0));
        QCOMPARE(sumOf(rig->emu->histogram(0, 0), 0, 4096), quint64(0));
    }

    void presetTypesAndValues()
    {
        QCOMPARE(asks({"GetPresetType", "GetPresetValue"}), QString("0|1"));
        QCOMPARE(asks({"SetPresetType live", "GetPresetType"}), QString("Ok:|2"));
        QCOMPARE(ticks(1, A::measTime1), quint64(100000000)); // a live preset is programmed as a real one
        QCOMPARE(ask("SetPresetValue 2.5"), QString("Ok:"));
        QCOMPARE(ticks(0, A::measTime1) + ticks(1, A::measTime1), quint64(500000000));
        QCOMPARE(asks({"SetPresetValue 1e9", "GetPresetValue"}), QString("Ok:|1e+09"));
        QCOMPARE(ticks(0, A::measTime1), Q_UINT64_C(0xFFFFFFFFFFFF));
        QCOMPARE(ask("SetPresetValue -4"), QString("Ok:"));
        QCOMPARE(ticks(1, A::measTime1), quint64(0));
        QCOMPARE(asks({"SetPresetValue abc", "GetPresetValue"}), QString("Ok:|0"));
        QCOMPARE(asks({"SetPresetType xyz", "GetPresetType"}), QString("Ok:|0"));
        QCOMPARE(ticks(0, A::measTime1) + ticks(1, A::measTime1), 2 * A::noPreset);
        QCOMPARE(ask("SetNormalizeType foo"), QString("Ok: Normalize type None")); // unchanged
    }

    void measTimeBySubAddressAndPeakingTime()
    {
        rig->takeRequests(0);
        QCOMPARE(asks({"SetMeasTimeInSec 12345.5", "GetMeasTimeInSec"}, "dsp2"), QString("Ok:|12345.5"));
        QCOMPARE(ticks(1, A::measTime1), Q_UINT64_C(1234550000000));
        QCOMPARE(rig->takeRequests(0).size(), 0); // dsp2 only
        QCOMPARE(ask("GetMeasTimeInSec ignored", "dsp1"), secondsText(A::noPreset));
        QCOMPARE(ask("GetPresetValue"), QString("1")); // the preset itself is not changed
        QCOMPARE(ask("SetMeasTimeInSec -1", "dsp1"), QString("Ok:"));
        QCOMPARE(ticks(0, A::measTime1), quint64(0));
        rig->takeRequests(0);
        rig->takeRequests(1);
        QCOMPARE(ask("SetMeasTimeInSec 2", "DSP1"), QString("Er: No dsp of id DSP1"));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp3"), QString("Er: No dsp of id dsp3"));
        QCOMPARE(ask("SetMeasTimeInSec 2"), QString("Er: No dsp of id "));
        QCOMPARE(rig->takeRequests(0).size() + rig->takeRequests(1).size(), 0);
        // The next preset request programs the registers from the preset again.
        QCOMPARE(ask("SetPresetType REAL"), QString("Ok:"));
        QCOMPARE(ticks(0, A::measTime1) + ticks(1, A::measTime1), quint64(200000000));

        // Elements: dsp1 channels 0 and 1, dsp2 channels 0 and 3.
        rig->emu->setReg(0, channelAddress(A::sFilterPeakingT, 0), 1234);
        rig->emu->pinReg(1, channelAddress(A::sFilterPeakingT, 3), 65535);
        QCOMPARE(asks({"GetPeakingTime 0", "GetPeakingTime 3"}), QString("12.34|655.35"));
        QCOMPARE(readsOf(rig->takeRequests(1)), QVector<quint32>{channelAddress(A::sFilterPeakingT, 3)});
    }
};

QTEST_GUILESS_MAIN(TestMeasurementRequests)
#include "tst_measurementrequests.moc"
