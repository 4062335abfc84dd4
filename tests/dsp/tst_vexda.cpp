#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "dsp/VexDAs.h"
#include "sim/EmulatedUnits.h"
#include "widgets/StyleSheets.h"

#include <QtTest>

#include <memory>

// The DSP unit controller and the group against the emulated units.
class TestVexDA : public QObject
{
    Q_OBJECT

    static constexpr quint32 measTime1 = 0xB4000016, realTime1 = 0xB400001C, liveTime1 = 0xB4000246,
                             icr1 = 0xB400022C, start = 0xB4000014;
    static constexpr quint64 maxMeasTime = Q_UINT64_C(0x0FFFFFFFFFFF);
    std::unique_ptr<UnitEmulatorThread> emu;

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    std::unique_ptr<VexDA> makeUnit(int unit = 0)
    {
        auto u = std::make_unique<VexDA>(QString("dsp%1").arg(unit + 1), emu->unitAddress(unit).toString());
        u->channelEnabled = QByteArray(4, 1);
        u->roiStart = QVector<int>(4, 0);
        u->roiEnd = QVector<int>(4, 2047);
        return u;
    }

    std::unique_ptr<VexDA> connectedUnit(int unit = 0)
    {
        auto u = makeUnit(unit);
        u->openTcp();
        if (!QTest::qWaitFor([&] { return u->tcpIsConnected && emu->tcpClientCount(unit) == 1; }, 2000))
            qWarning("no TCP connection");
        return u;
    }

    static QString tcpTimeoutIndicator(VexDA& u)
    {
        return u.unitStat.findChild<StatDisp*>("TCPTimeout")->statStyle();
    }

    static QVector<quint32> ramp(quint32 step)
    {
        QVector<quint32> bins(4096);
        for (int i = 0; i < bins.size(); ++i)
            bins[i] = quint32(i) * step + 0x01020304u;
        return bins;
    }

private slots:
    void initTestCase() { buildRegisterMap(); }

    void init()
    {
        QString error;
        emu = startEmulatedUnits("127.0.32.2", 2, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
    }

    void cleanup() { emu.reset(); }

    void constructionProgramsTheLargestMeasTime()
    {
        emu->setReg(0, measTime1, 1);
        auto u = makeUnit();
        const QList<QByteArray> sent = emu->requests(0);
        QCOMPARE(sent.size(), 6); // three words, twice
        QCOMPARE(sent.at(0), hex("FF800702B40000160FFF"));
        QCOMPARE(sent.at(1), hex("FF800702B4000018FFFF"));
        QCOMPARE(sent.at(2), hex("FF800702B400001AFFFF"));
        QCOMPARE(sent.at(3), sent.at(0));
        QCOMPARE(emu->regs(0, measTime1, 3), maxMeasTime);
        QVERIFY(!u->hgReady);
        QCOMPARE(u->histogram, QVector<quint32>(4096, 0));
    }

    void presetsProgramTheMeasTime()
    {
        auto u = makeUnit();
        u->setPresetType(1);
        emu->clearRequests(0);
        u->setPresetValue(2.5);
        QCOMPARE(emu->requests(0), QList<QByteArray>({hex("FF800706B400001600000EE6B280")}));
        QCOMPARE(emu->regs(0, measTime1, 3), quint64(250000000));
        QCOMPARE(u->measTimeRaw(), quint64(250000000));

        u->setPresetType(5);
        QCOMPARE(u->presetType(), 0);
        QCOMPARE(emu->regs(0, measTime1, 3), maxMeasTime);

        u->setPresetType(2);
        u->setPresetValue(-4);
        QCOMPARE(emu->regs(0, measTime1, 3), quint64(0));
        u->setPresetValue(1e12);
        QCOMPARE(emu->regs(0, measTime1, 3), Q_UINT64_C(0xFFFFFFFFFFFF));

        emu->clearRequests(0);
        u->setDataTransDelay(0);
        QCOMPARE(emu->requests(0), QList<QByteArray>({hex("FF8007040000000800000000")}));
        u->setDataTransDelay(2);
        QCOMPARE(emu->regs(0, 8, 2), quint64(250000));
    }

    void readTimesMakesThirteenReads()
    {
        auto u = makeUnit();
        emu->pinReg(0, realTime1 + 0, 0x0000);
        emu->pinReg(0, realTime1 + 2, 0x3B9A);
        emu->pinReg(0, realTime1 + 4, 0xCA00);
        emu->pinReg(0, liveTime1 + 0x400 + 4, 500); // channel 2, low word
        emu->pinReg(0, icr1 + 0x600 + 2, 1234);     // channel 3, low word
        emu->clearRequests(0);
        u->readTimes();
        QCOMPARE(emu->requests(0).size(), 13);
        QCOMPARE(u->realTime, 10.0);
        QCOMPARE(u->liveTimes.size(), 4);
        QCOMPARE(u->liveTimes.at(2), 500e-8);
        QCOMPARE(u->icrs.at(3), 1234.0);
        QCOMPARE(u->deadTimes.size(), 4);
    }

    void histogramTransfer()
    {
        auto u = connectedUnit();
        const QVector<quint32> bins = ramp(7);
        emu->setHistogram(0, 1, bins);
        QSignalSpy ready(u.get(), &VexDA::hgDataReady);
        u->getHistogram(1, nullptr);
        QVERIFY(u->hgReady);
        QCOMPARE(u->histogram, bins);
        QCOMPARE(ready.size(), 1);

        QVector<quint32> dest(4096, 0);
        emu->setHistogram(0, 2, ramp(3));
        u->getHistogram(2, dest.data());
        QCOMPARE(dest, ramp(3));
        QCOMPARE(u->histogram, bins); // its own buffer untouched
    }

    void histogramInPiecesAndItsTimeout()
    {
        auto u = connectedUnit();
        emu->setHistogram(0, 0, ramp(5));
        UnitFaults slow;
        slow.pieceBytes = 3000;
        slow.pieceGapMs = 150;
        emu->setFaults(0, slow);
        u->getHistogram(0, nullptr);
        QCOMPARE(u->histogram, ramp(5));
        QCOMPARE(tcpTimeoutIndicator(*u), QString(StyleSheets::green));

        emu->setHistogram(0, 0, ramp(9));
        slow.pieceBytes = 8192;
        slow.pieceGapMs = 700;
        emu->setFaults(0, slow);
        QSignalSpy logs(u.get(), &VexUnit::log);
        u->getHistogram(0, nullptr);
        QCOMPARE(u->histogram, ramp(5)); // left as it was
        QCOMPARE(tcpTimeoutIndicator(*u), QString(StyleSheets::pink));
        QCOMPARE(logs.first().at(0).toString(),
                 QString("dsp1: Err. Timeout waiting ans from TCP for Histgram"));

        // the connection of the cut-off transfer is dropped and opened again, so its rest
        // cannot be taken for the next transfer
        emu->setFaults(0, UnitFaults());
        QTRY_VERIFY_WITH_TIMEOUT(!u->tcpIsConnected, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(u->tcpIsConnected, 5000);
        QVERIFY(u->getHistogram(0, nullptr));
        QCOMPARE(u->histogram, ramp(9));
        QCOMPARE(tcpTimeoutIndicator(*u), QString(StyleSheets::green));
    }

    void cutHistogramTimesOut()
    {
        auto u = connectedUnit();
        UnitFaults cut;
        cut.cutBytes = 10000;
        emu->setFaults(0, cut);
        u->getHistogram(0, nullptr);
        QVERIFY(!u->hgReady);
        QCOMPARE(u->histogram, QVector<quint32>(4096, 0));
    }

    void snapshots()
    {
        auto u = connectedUnit();
        for (int c = 0; c < 4; ++c)
            emu->setHistogram(0, c, ramp(quint32(c + 1)));
        u->busy = true;
        McaSet* set = u->makeMcaSet(7);
        QCOMPARE(set->id, 7);
        QCOMPARE(set->blocks.size(), 4);
        const McaBlock& b2 = set->blocks.at(2);
        QCOMPARE(b2.bytes().size(), 16432);
        QCOMPARE(b2.quad(0), quint64(2));
        QCOMPARE(b2.quad(8), quint64(1));
        QCOMPARE(b2.quad(16), quint64(4096));
        QCOMPARE(b2.real(24), u->realTime);
        QCOMPARE(b2.real(32), u->liveTimes.at(2));
        QCOMPARE(b2.real(40), u->icrs.at(2));
        QCOMPARE(b2.bin(4095), ramp(3).at(4095));

        emu->clearRequests(0);
        QCOMPARE(u->makeMcaSet(7), set);
        QVERIFY(emu->requests(0).isEmpty());
        u->makeMcaSet(0);
        QVERIFY(!emu->requests(0).isEmpty());

        u->setEmulateSignal(true);
        const McaSet* emulated = u->makeMcaSet(0);
        QCOMPARE(emulated->blocks.at(2).bin(3), 9u);
        QCOMPARE(emulated->blocks.at(0).bin(4095), 4095u);
    }

    void unfilledBlocksAreZero()
    {
        McaBlock block;
        QCOMPARE(block.bytes(), QByteArray(16432, '\0'));
        auto u = makeUnit(); // no TCP: every transfer times out
        const McaSet* set = u->makeMcaSet(3);
        QCOMPARE(set->blocks.at(1).bin(100), 0u);
        QCOMPARE(set->blocks.at(1).quad(16), quint64(4096));
    }

    void presetMeasurementEndsByItself()
    {
        auto u = connectedUnit();
        u->setPresetType(1);
        u->setPresetValue(0.5);
        u->clearHistogram();
        QSignalSpy busy(u.get(), &VexDA::changedIsBusy);
        u->runId = 3;
        u->startMeasWatch();
        u->writeRegister(start, 1, true, 2);
        QVERIFY(u->busy);
        QCOMPARE(busy.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!u->busy, 3000);
        QCOMPARE(busy.size(), 2);
        QVERIFY(!u->measTimer.isActive());
        const McaSet* set = u->lastMcaSet();
        QCOMPARE(set->id, 3);
        QCOMPARE(set->runCount, 1);
        QCOMPARE(set->blocks.at(0).real(24), 0.5);
        QCOMPARE(set->blocks.at(0).quad(8), quint64(0));
        quint64 counts = 0;
        for (int i = 0; i < 4096; ++i)
            counts += set->blocks.at(0).bin(i);
        QVERIFY(counts > 0);
    }

    void stopOnIdleUnitDoesNothing()
    {
        auto u = makeUnit();
        QSignalSpy logs(u.get(), &VexUnit::log);
        QSignalSpy busy(u.get(), &VexDA::changedIsBusy);
        emu->clearRequests(0);
        u->stopMeasWatch();
        QVERIFY(logs.isEmpty() && busy.isEmpty());
        QVERIFY(emu->requests(0).isEmpty());
    }

    void groupBusyIsTheOrOfItsUnits()
    {
        VexDAs group;
        auto a = makeUnit(0);
        auto b = makeUnit(1);
        group.append(a.get());
        group.append(b.get());
        QSignalSpy changed(&group, &VexDAs::changedIsBusy);
        a->startMeasWatch(); // no preset: runs until stopped
        QCOMPARE(changed.size(), 1);
        QVERIFY(group.isBusy());
        b->startMeasWatch();
        QCOMPARE(changed.size(), 1);
        a->stopMeasWatch();
        QCOMPARE(changed.size(), 1);
        QVERIFY(group.isBusy());
        b->stopMeasWatch();
        QCOMPARE(changed.size(), 2);
        QVERIFY(!group.isBusy());
        QCOMPARE(group.unitNamed("dsp2"), b.get());
        QCOMPARE(group.unitNamed("DSP2"), nullptr);
        // the group schedules its units for deletion: hand them over
        a.release();
        b.release();
        group.releaseUnits();
        QVERIFY(group.units().isEmpty());
    }
};

QTEST_MAIN(TestVexDA)
#include "tst_vexda.moc"
