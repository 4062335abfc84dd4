#include "RequestRig.h"

#include <QtTest>

#include <numeric>

namespace A = UnitAddresses;

// Histograms, ROI sums, ROIs and times through the real program, compared with what the
// emulated units hold.
class TestSpectrumRequests : public QObject
{
    Q_OBJECT

    // dsp1 channels 0, 2, 3 and dsp2 channels 1, 3.
    struct Element
    {
        int unit, ch;
    };
    const QVector<Element> elements{{0, 0}, {0, 2}, {0, 3}, {1, 1}, {1, 3}};
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& request) { return rig->ctrl.ask(request); }
    QVector<quint32> bins(int e) { return rig->emu->histogram(elements[e].unit, elements[e].ch); }
    void setBins(int e, const QVector<quint32>& b)
    {
        rig->emu->setHistogram(elements[e].unit, elements[e].ch, b);
    }

    static QVector<quint32> ramp(quint32 step)
    {
        QVector<quint32> b(4096);
        for (int i = 0; i < b.size(); ++i)
            b[i] = quint32(i) * step;
        return b;
    }

    // The first field of GetValues: the ROI counts of every element, end bins included.
    quint64 roiTotal(const QVector<QPair<int, int>>& rois)
    {
        quint64 total = 0;
        for (int e = 0; e < elements.size(); ++e)
            total += sumOf(bins(e), rois[e].first, rois[e].second + 1);
        return total;
    }

private slots:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        QString error = rig->startUnits("127.0.63.2", 2);
        if (error.isEmpty())
            error = rig->startTavik(
                {"dsp1 " + rig->unitIp(0) + " 1 0 1 1", "dsp2 " + rig->unitIp(1) + " 0 1 0 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanup()
    {
        QVERIFY2(rig->ctrl.noAnswerWithin(100), qPrintable(rig->ctrl.strays.join('\n')));
        QVERIFY(rig->tavikRunning());
        rig.reset();
    }

    void valuesBeforeAnyHistogramArrived()
    {
        setBins(0, QVector<quint32>(4096, 1));
        UnitFaults cut;
        cut.cutBytes = 100;
        rig->emu->setFaults(1, cut);

        QCOMPARE(ask("GetValue 3"), QString("0 Er: data transfer"));
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QCOMPARE(ask("GetValues"), QString("0 Er: data transfer"));
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QCOMPARE(ask("GetHistgram 4"), QString("0 Er: data transfer"));
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QCOMPARE(ask("GetValue 0"), QString("2047"));

        rig->emu->setFaults(1, UnitFaults());
        setBins(3, QVector<quint32>(4096, 2));
        // The connection of the cut transfer was dropped: answered again once it is back.
        QTRY_COMPARE_WITH_TIMEOUT(ask("GetValue 3"), QString("4094"), 10000);
        QCOMPARE(ask("GetValues").section(' ', 0, 0),
                 QString::number(roiTotal(QVector<QPair<int, int>>(5, {0, 2047}))));
    }

    void histogramOfEveryElement()
    {
        QCOMPARE(ask("RunStart"), QString("Ok:"));
        QTest::qWait(300);
        QCOMPARE(ask("RunStop"), QString("Ok:"));
        QVERIFY(sumOf(bins(0), 0, 4096) > 0);
        QVERIFY(bins(0) != bins(1));
        QVector<quint32> big = ramp(1000003);
        big[0] = 4294967295u;
        setBins(4, big);
        for (int e = 0; e < elements.size(); ++e)
            QCOMPARE(ask(QString("GetHistgram %1").arg(e)), joinedCounts(bins(e)));
    }

    void histogramAfterTheConnectionIsLost()
    {
        setBins(0, ramp(2));
        const QString before = joinedCounts(bins(0));
        QCOMPARE(ask("GetHistgram 0"), before);
        rig->emu->closeTcp(0);
        setBins(0, ramp(5));
        // Never what an earlier transfer left: an error until the connection is open again.
        const QString after = joinedCounts(bins(0));
        const QString first = ask("GetHistgram 0");
        QVERIFY2(first == "0 Er: data transfer" || first == after, qPrintable(first.left(80)));
        QVERIFY(rig->ctrl.noAnswerWithin(300));
        QTRY_COMPARE_WITH_TIMEOUT(ask("GetHistgram 0"), after, 10000);
        QCOMPARE(ask("GetValue 0"), QString::number(sumOf(ramp(5), 0, 2047)));
        setBins(3, ramp(7));
        QCOMPARE(ask("GetHistgram 3"), joinedCounts(bins(3))); // the other unit is still reached
    }

    void valuesInAKnownSpectrum()
    {
        setBins(0, QVector<quint32>(4096, 1));
        setBins(1, ramp(1));
        setBins(2, ramp(3));
        setBins(3, QVector<quint32>(4096, 5));
        setBins(4, ramp(1000));
        QCOMPARE(ask("SetROI 0 100 200"), QString("Ok:"));
        QCOMPARE(ask("GetValue 0"), QString("100"));
        QCOMPARE(ask("GetValueInROI 1"), QString::number(sumOf(bins(1), 0, 2047)));

        // Negative start, end above the last bin, start equal to end.
        QCOMPARE(ask("SetROI 2 4000 99999"), QString("Ok:"));
        QCOMPARE(ask("SetROI 3 -5 10"), QString("Ok:"));
        QCOMPARE(ask("SetROI 4 2047 2047"), QString("Ok:"));
        QCOMPARE(ask("GetValue 2"), QString::number(sumOf(bins(2), 4000, 4096)));
        QCOMPARE(ask("GetValue 3"), QString("50"));
        QCOMPARE(ask("GetValue 4"), QString("0"));

        const quint64 totalCounts[] = {7, 0x80000001u, 65536, 0, 4294967295u};
        const quint64 rates[] = {12, 65535, 99, 0x12345678, 1};
        for (int e = 0; e < elements.size(); ++e) {
            pinWords(*rig->emu, elements[e].unit, channelAddress(A::fTotalCount1, elements[e].ch),
                     totalCounts[e], 2);
            pinWords(*rig->emu, elements[e].unit, channelAddress(A::icr1, elements[e].ch), rates[e], 2);
        }
        // The ROI sums of GetValues count the end bin too.
        const QVector<quint64> rois{101, sumOf(bins(1), 0, 2048), sumOf(bins(2), 4000, 4096), 55, 2047000};
        QVector<quint64> totals;
        for (int e = 0; e < elements.size(); ++e)
            totals << sumOf(bins(e), 0, 4096);
        const quint64 grand = std::accumulate(rois.begin(), rois.end(), quint64(0));
        const QString expected =
            QString("%1 %2 %3 %4 %5")
                .arg(grand)
                .arg(joinedCounts(totals), joinedCounts(rois),
                     joinedCounts(QVector<quint64>(std::begin(totalCounts), std::end(totalCounts))),
                     joinedCounts(QVector<quint64>(std::begin(rates), std::end(rates))));
        QCOMPARE(ask("GetValues"), expected);
        QCOMPARE(ask("GetValuesInROI"), expected);
    }

    void roiBounds()
    {
        setBins(0, ramp(1));
        QCOMPARE(ask("SetROI 0 300.7 12.9"), QString("Ok:"));
        QCOMPARE(ask("GetROI 0"), QString("12 300"));
        QCOMPARE(ask("GetValue 0"), QString::number(sumOf(bins(0), 12, 300)));
        QCOMPARE(ask("SetROI 0 -0.9 -0.2"), QString("Ok:"));
        QCOMPARE(ask("GetROI 0"), QString("0 0"));
        QCOMPARE(ask("SetROI 0 abc 5"), QString("Ok:"));
        QCOMPARE(ask("GetROI 0"), QString("0 5"));
        QCOMPARE(ask("SetROI 0 1e20 -1e20"), QString("Ok:"));
        QCOMPARE(ask("GetROI 0"), QString("-2147483648 2147483647"));
        QCOMPARE(ask("GetValue 0"), QString::number(sumOf(bins(0), 0, 4096)));
        QVector<QPair<int, int>> rois(5, {0, 2047});
        rois[0] = {0, 4095};
        QCOMPARE(ask("GetValues").section(' ', 0, 0), QString::number(roiTotal(rois)));

        // ROIs outside the bins sum to nothing.
        for (const char* roi : {"-10 -5", "5000 6000"}) {
            QCOMPARE(ask(QString("SetROI 0 %1").arg(roi)), QString("Ok:"));
            QCOMPARE(ask("GetValue 0"), QString("0"));
            rois[0] = {0, -1};
            QCOMPARE(ask("GetValues").section(' ', 0, 0), QString::number(roiTotal(rois)));
        }
    }

    void settingAndReadingRois()
    {
        QCOMPARE(ask("GetROIs"), QString("0 2047 0 2047 0 2047 0 2047 0 2047"));
        QCOMPARE(ask("SetROIs 10.5 5"), QString("Ok:"));
        QCOMPARE(ask("GetROIs"), QString("5 10 5 10 5 10 5 10 5 10"));
        QCOMPARE(ask("SetROIs 1 2 40 30 5 6 -7 8 100 4095"), QString("Ok:"));
        const QString set = "1 2 30 40 5 6 -7 8 100 4095";
        QCOMPARE(ask("GetROIs"), set);
        QCOMPARE(ask("GetROI 1"), QString("30 40"));
        QCOMPARE(ask("GetROI 3"), QString("-7 8"));
        for (const char* wrong :
             {"SetROIs", "SetROIs 1", "SetROIs 1 2 3", "SetROIs 1 2 3 4 5 6 7 8 9 10 11 12"})
            QCOMPARE(ask(wrong), QString("Er: num of params"));
        QCOMPARE(ask("GetROIs"), set);
    }

    void timesFromTheUnits()
    {
        pinWords(*rig->emu, 0, A::realTime1, 100000000, 3);
        pinWords(*rig->emu, 1, A::realTime1, 200000000, 3);
        QCOMPARE(ask("GetRealTime"), QString("1.5"));
        QCOMPARE(ask("GetRealTimes"), QString("1 2"));

        // Disabled channels hold a time that must not show up.
        const quint64 live[2][4] = {{25000000, 9900000000, 50000000, 123456789},
                                    {9900000000, 300000000, 9900000000, 100}};
        const quint64 dead[2][4] = {{1, 9900000000, 2000000, 0},
                                    {9900000000, 250000000000, 9900000000, 4500000}};
        for (int unit = 0; unit < 2; ++unit)
            for (int ch = 0; ch < 4; ++ch) {
                pinWords(*rig->emu, unit, channelAddress(A::liveTime1, ch), live[unit][ch], 3);
                pinWords(*rig->emu, unit, channelAddress(A::deadTime1, ch), dead[unit][ch], 3);
            }
        QCOMPARE(ask("GetLiveTimes"), QString("0.25 0.5 1.23457 3 1e-06"));
        QCOMPARE(ask("GetLiveTime"), QString::number((0.25 + 0.5 + 1.23457 + 3 + 1e-6) / 5, 'g', 6));
        QCOMPARE(ask("GetDeadTimes"), QString("1e-08 0.02 0 2500 0.045"));
    }
};

QTEST_GUILESS_MAIN(TestSpectrumRequests)
#include "tst_spectrumrequests.moc"
