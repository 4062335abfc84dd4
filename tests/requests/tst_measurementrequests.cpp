#include "tests/support/RequestRig.h"

#include <QtTest>

#include <numeric>

// Starting, stopping and presetting measurements through the real program, with two
// emulated units whose busy states the program announces as one; histograms, ROI sums,
// ROIs and times, compared with what the units hold.
class TestMeasurementRequests : public QObject
{
    Q_OBJECT

    static constexpr int eventWaitMs = 5000;
    struct Element
    {
        int unit, ch;
    };
    const QVector<Element> elements{{0, 0}, {0, 2}, {0, 3}, {1, 1}, {1, 3}}; // dsp1 "1 0 1 1", dsp2 "0 1 0 1"
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& r, const QString& sub = {}) { return rig->ctrl.ask(r, sub); }
    QString asks(const QStringList& r, const QString& sub = {}) { return rig->ctrl.asks(r, sub); }
    QVector<quint64> startWrites(int unit) { return writesTo(rig->takeRequests(unit), A::start); }
    quint64 ticks(int unit, quint32 address) { return rig->emu->regs(unit, address, 3); }
    QStringList pulses(int n)
    {
        return QString("ChangedIsBusy 1|ChangedIsBusy 0|").repeated(n).split('|', Qt::SkipEmptyParts);
    }

    QVector<quint32> bins(int e) { return rig->emu->histogram(elements[e].unit, elements[e].ch); }
    void setBins(int e, QVector<quint32> b) { rig->emu->setHistogram(elements[e].unit, elements[e].ch, b); }
    void pinEach(quint32 address, const QVector<quint64>& values, int words)
    {
        for (int e = 0; e < values.size(); ++e)
            pinWords(*rig->emu, elements[e].unit, channelAddress(address, elements[e].ch), values[e], words);
    }

    static QVector<quint32> ramp(quint32 step)
    {
        QVector<quint32> b(4096);
        for (int i = 0; i < b.size(); ++i)
            b[i] = quint32(i) * step;
        return b;
    }

private Q_SLOTS:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        const QString error = rig->startWithUnits("127.0.62.2", {"1 0 1 1", "0 1 0 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup() { QCOMPARE(rig->leftovers(), QString()); }

    void presetRunEndsWithTheIdleEvent()
    {
        QCOMPARE(asks({"SetPresetType REAL", "SetPresetValue 1"}), QString("Ok:|Ok:"));
        QCOMPARE(ask("RunStart 1"), QString("Ok:"));
        QCOMPARE(ask("IsBusy"), QString("0")); // the server client's own flag is not the units'
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", eventWaitMs));
        // Announced once both units have run to the preset, not before.
        QCOMPARE(ticks(0, A::realTime1) + ticks(1, A::realTime1), quint64(200000000));
        QCOMPARE(rig->ctrl.takeEvents(), pulses(1));
        QCOMPARE(ask("GetRealTimes"), QString("1 1"));
        // The same number again clears, and starts nothing (the pulses: while running).
        QCOMPARE(asks({"RunStart 1", "GetRealTime"}), QString("Ok:|0"));
    }

    void runNumbersWhileRunning()
    {
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        startWrites(1);
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        QCOMPARE(startWrites(1), QVector<quint64>{0}); // all stopped, none restarted
        QCOMPARE(rig->ctrl.takeEvents(), pulses(3));   // each unit in turn makes a busy pulse
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
        rig->takeRequests(1);
        QCOMPARE(asks({"SetMeasTimeInSec 12345.5", "GetMeasTimeInSec"}, "dsp2"), QString("Ok:|12345.5"));
        QCOMPARE(requestTexts(rig->takeRequests(1)).value(0), QString("write b4000016 x6 id7 = 11f70ea0980"));
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

        rig->emu->setReg(0, channelAddress(A::sFilterPeakingT, 0), 1234);
        rig->emu->pinReg(1, channelAddress(A::sFilterPeakingT, 3), 65535);
        QCOMPARE(asks({"GetPeakingTime 0", "GetPeakingTime 4"}), QString("12.34|655.35"));
        QCOMPARE(readsOf(rig->takeRequests(1)), QVector<quint32>{channelAddress(A::sFilterPeakingT, 3)});
    }

    void histogramsAndTransferFailures()
    {
        // A transfer that does not come whole gives no numbers at all: not the sums, and not
        // the histogram (an earlier buffer may be another channel's).
        UnitFaults cut;
        cut.cutBytes = 100;
        rig->emu->setFaults(1, cut);
        QCOMPARE(asks({"GetValue 3", "GetValues", "GetHistgram 4"}),
                 QString("0 Er: data transfer|0 Er: data transfer|0 Er: data transfer"));
        rig->emu->setFaults(1, UnitFaults());

        for (int e = 0; e < elements.size(); ++e)
            setBins(e, ramp(quint32(e) * 1000003 + 1));
        // The cut transfer's connection was dropped, so its rest cannot be taken for the next
        // transfer, which opens it again at once.
        for (int e = 0; e < elements.size(); ++e)
            QCOMPARE(ask(QString("GetHistgram %1").arg(e)), joinedCounts(bins(e)));

        // In pieces: within the time-outs the histogram is whole; past either, an error.
        UnitFaults pieces;
        pieces.pieceBytes = 3000;
        pieces.pieceGapMs = 150;
        rig->emu->setFaults(1, pieces);
        QCOMPARE(ask("GetHistgram 3"), joinedCounts(bins(3)));
        pieces.pieceBytes = 8192;
        pieces.pieceGapMs = 700;
        rig->emu->setFaults(1, pieces);
        QCOMPARE(ask("GetHistgram 4"), QString("0 Er: data transfer"));
        pieces.pieceBytes = 1; // 80 minutes a histogram: the transfer's own deadline ends it
        pieces.pieceGapMs = 300;
        rig->emu->setFaults(1, pieces);
        QCOMPARE(ask("GetHistgram 4"), QString("0 Er: data transfer"));
        rig->emu->setFaults(1, UnitFaults());
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QCOMPARE(asks({"GetHistgram 4", "GetValue 4", "GetValues"}).count("Er"), 0);
    }

    void valuesInAKnownSpectrum()
    {
        const QVector<quint32> spectra[] = {QVector<quint32>(4096, 1), ramp(1), ramp(3),
                                            QVector<quint32>(4096, 5), ramp(1000)};
        for (int e = 0; e < elements.size(); ++e)
            setBins(e, spectra[e]);
        // Swapped into order, cut to whole bins; GetValue leaves the end bin out.
        QCOMPARE(asks({"SetROI 0 200.7 100.2", "GetROI 0"}), QString("Ok:|100 200"));
        QCOMPARE(ask("GetValue 0"), QString("100"));
        QCOMPARE(asks({"SetROI 2 4000 99999", "SetROI 3 -5 10", "SetROI 4 2047 2047"}),
                 QString("Ok:|Ok:|Ok:"));
        const QVector<quint64> totalCounts{7, 0x80000001u, 65536, 0, 4294967295u};
        const QVector<quint64> rates{12, 65535, 99, 0x12345678, 1};
        pinEach(A::fTotalCount1, totalCounts, 2);
        pinEach(A::icr1, rates, 2);
        // The ROI sums of GetValues count the end bin too.
        const QVector<quint64> rois{101, sumOf(bins(1), 0, 2048), sumOf(bins(2), 4000, 4096), 55, 2047000};
        QVector<quint64> totals;
        for (int e = 0; e < elements.size(); ++e)
            totals << sumOf(bins(e), 0, 4096);
        const QString expected = QString("%1 %2 %3 %4 %5")
                                     .arg(std::accumulate(rois.begin(), rois.end(), quint64(0)))
                                     .arg(joinedCounts(totals), joinedCounts(rois), joinedCounts(totalCounts),
                                          joinedCounts(rates));
        QCOMPARE(ask("GetValues"), expected);
        QCOMPARE(ask("GetValuesInROI"), expected);
    }

    void settingAndReadingRois()
    {
        QCOMPARE(ask("GetROIs"), QString("0 2047 0 2047 0 2047 0 2047 0 2047"));
        QCOMPARE(asks({"SetROIs 10.5 5", "GetROIs"}), QString("Ok:|5 10 5 10 5 10 5 10 5 10"));
        QCOMPARE(asks({"SetROIs 1 2 40 30 5 6 -7 8 100 4095", "GetROI 3"}), QString("Ok:|-7 8"));
        for (const char* wrong :
             {"SetROIs", "SetROIs 1", "SetROIs 1 2 3", "SetROIs 1 2 3 4 5 6 7 8 9 10 11 12"})
            QCOMPARE(ask(wrong), QString("Er: num of params"));
        QCOMPARE(ask("GetROIs"), QString("1 2 30 40 5 6 -7 8 100 4095"));
    }

    void timesFromTheUnits()
    {
        pinWords(*rig->emu, 0, A::realTime1, 100000000, 3);
        pinWords(*rig->emu, 1, A::realTime1, 200000000, 3);
        rig->takeRequests(1);
        QCOMPARE(asks({"GetRealTime", "GetRealTimes"}), QString("1.5|1 2"));
        // Each time the real time and three times of each channel.
        QCOMPARE(rig->takeRequests(1).size(), 2 * 13);
        // Disabled channels hold a time that must not show up.
        for (quint32 address : {A::liveTime1, A::deadTime1})
            for (int i = 0; i < 8; ++i)
                pinWords(*rig->emu, i / 4, channelAddress(address, i % 4), 9900000000, 3);
        pinEach(A::liveTime1, {25000000, 50000000, 123456789, 300000000, 100}, 3);
        pinEach(A::deadTime1, {1, 2000000, 0, 250000000000, 4500000}, 3);
        QCOMPARE(ask("GetLiveTimes"), QString("0.25 0.5 1.23457 3 1e-06"));
        // The mean of the answered texts, not of the raw values.
        QCOMPARE(ask("GetLiveTime"), QString::number((0.25 + 0.5 + 1.23457 + 3 + 1e-6) / 5, 'g', 6));
        QCOMPARE(ask("GetDeadTimes"), QString("1e-08 0.02 0 2500 0.045"));
    }
};

QTEST_GUILESS_MAIN(TestMeasurementRequests)
#include "tst_measurementrequests.moc"
