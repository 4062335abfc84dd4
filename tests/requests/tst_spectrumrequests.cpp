#include "RequestRig.h"

#include <QtTest>

#include <numeric>

// Histograms, ROI sums, ROIs and times through the real program, compared with what the
// emulated units hold.
class TestSpectrumRequests : public QObject
{
    Q_OBJECT

    struct Element
    {
        int unit, ch;
    };
    const QVector<Element> elements{{0, 0}, {0, 2}, {0, 3}, {1, 1}, {1, 3}}; // dsp1 "1 0 1 1", dsp2 "0 1 0 1"
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& request) { return rig->ctrl.ask(request); }
    QString asks(const QStringList& requests) { return rig->ctrl.asks(requests); }
    QVector<quint32> bins(int e) { return rig->emu->histogram(elements[e].unit, elements[e].ch); }
    void setBins(int e, const QVector<quint32>& b)
    {
        rig->emu->setHistogram(elements[e].unit, elements[e].ch, b);
    }
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

private slots:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        const QString error = rig->startWithUnits("127.0.63.2", {"1 0 1 1", "0 1 0 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup() { QCOMPARE(rig->leftovers(), QString()); }

    void histogramsAndTransferFailures()
    {
        // Before any histogram has come whole: no sums, but the histogram is answered all the same.
        UnitFaults cut;
        cut.cutBytes = 100;
        rig->emu->setFaults(1, cut);
        QCOMPARE(asks({"GetValue 3", "GetValues"}), QString("0 Er: data transfer|0 Er: data transfer"));
        QCOMPARE(ask("GetHistgram 4"), joinedCounts(QVector<quint32>(4096, 0)));
        rig->emu->setFaults(1, UnitFaults());

        for (int e = 0; e < elements.size(); ++e)
            setBins(e, ramp(quint32(e) * 1000003 + 1));
        for (int e = 0; e < elements.size(); ++e)
            QCOMPARE(ask(QString("GetHistgram %1").arg(e)), joinedCounts(bins(e)));

        // In pieces: within the time-out the histogram is whole; past it the rest of the cut-off
        // transfer is not taken for the next one.
        UnitFaults pieces;
        pieces.pieceBytes = 3000;
        pieces.pieceGapMs = 150;
        rig->emu->setFaults(1, pieces);
        QCOMPARE(ask("GetHistgram 3"), joinedCounts(bins(3)));
        pieces.pieceBytes = 8192;
        pieces.pieceGapMs = 700;
        rig->emu->setFaults(1, pieces);
        QCOMPARE(ask("GetHistgram 4"), joinedCounts(bins(3)));
        rig->emu->setFaults(1, UnitFaults());
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QCOMPARE(ask("GetHistgram 4"), joinedCounts(bins(4)));

        // A lost connection: the last histogram received, and the other unit still reached.
        const QString before = ask("GetHistgram 0");
        rig->emu->closeTcp(0);
        setBins(0, ramp(5));
        QCOMPARE(ask("GetHistgram 0"), before);
        QCOMPARE(ask("GetValueInROI 0"), QString::number(sumOf(ramp(1), 0, 2047)));
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        setBins(3, ramp(7));
        QCOMPARE(ask("GetHistgram 3"), joinedCounts(bins(3)));
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
        QCOMPARE(rig->takeRequests(1).size(),
                 2 * 13); // each time the real time, and three times of each channel
        // Disabled channels hold a time that must not show up.
        for (int ch = 0; ch < 4; ++ch)
            for (int unit = 0; unit < 2; ++unit) {
                pinWords(*rig->emu, unit, channelAddress(A::liveTime1, ch), 9900000000, 3);
                pinWords(*rig->emu, unit, channelAddress(A::deadTime1, ch), 9900000000, 3);
            }
        pinEach(A::liveTime1, {25000000, 50000000, 123456789, 300000000, 100}, 3);
        pinEach(A::deadTime1, {1, 2000000, 0, 250000000000, 4500000}, 3);
        QCOMPARE(ask("GetLiveTimes"), QString("0.25 0.5 1.23457 3 1e-06"));
        // The mean of the answered texts, not of the raw values.
        QCOMPARE(ask("GetLiveTime"), QString::number((0.25 + 0.5 + 1.23457 + 3 + 1e-6) / 5, 'g', 6));
        QCOMPARE(ask("GetDeadTimes"), QString("1e-08 0.02 0 2500 0.045"));
    }
};

QTEST_GUILESS_MAIN(TestSpectrumRequests)
#include "tst_spectrumrequests.moc"
