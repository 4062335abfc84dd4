#include "RequestRig.h"

#include <QtTest>

// Status and SetConfig through the real program against the emulated units' registers, and
// how requests are answered when a unit does not answer.
class TestRegisterRequests : public QObject
{
    Q_OBJECT

    static constexpr quint32 coarseGain = A::channelBase; // the first register of a channel
    static constexpr int settleMs = 300;                  // for answers that come too late
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& r, const QString& sub = "dsp1") { return rig->ctrl.ask(r, sub); }
    QString asks(const QStringList& r, const QString& sub = "dsp1") { return rig->ctrl.asks(r, sub); }

    // The one request a unit received since the last call; address 0 when it got none or more.
    UnitRequest onlyRequest(int unit)
    {
        const QList<QByteArray> r = rig->takeRequests(unit);
        return r.size() == 1 ? UnitRequest::parse(r.first()) : UnitRequest();
    }

private slots:
    void init()
    {
        rig = std::make_unique<TavikRig>();
        if (QByteArray(QTest::currentTestFunction()) == "unitWhereNothingListens") return;
        const QString error = rig->startWithUnits("127.0.65.2", {"1 1 1 1", "1 1 1 1"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        rig->takeRequests(0);
    }

    void cleanup() { QCOMPARE(rig->leftovers(), QString()); }

    void statusAndSetConfigUseTheResolvedAddress()
    {
        rig->emu->setReg(0, A::mode, 0x1234);
        rig->emu->setReg(0, channelAddress(coarseGain, 3), 77);
        rig->emu->setReg(0, coarseGain, 5);
        rig->emu->pinReg(0, channelAddress(A::fTotalCount2, 1), 0xBEEF);
        rig->takeRequests(0);
        QCOMPARE(ask("Status Mode 2"), QString("Mode 2 4660 0x1234")); // unit-wide: no offset
        const UnitRequest r = onlyRequest(0);
        QVERIFY(!r.write && r.address == A::mode && r.length == 2);
        // The channel is held to 0-3; without one the key's own address.
        QCOMPARE(ask("Status CoarseGain 9"), QString("CoarseGain 3 77 0x4d"));
        QCOMPARE(onlyRequest(0).address, channelAddress(coarseGain, 3));
        QCOMPARE(asks({"Status CoarseGain -4", "Status CoarseGain"}),
                 QString("CoarseGain 0 5 0x5|CoarseGain 5 0x5"));
        QCOMPARE(ask("Status FTotalCount2 1"), QString("FTotalCount2 1 48879 0xbeef"));
        QCOMPARE(ask("Status DTDelay1"), QString("DTDelay1 0 0x0"));
        rig->emu->setReg(1, A::mode, 9);
        rig->takeRequests(0);
        QCOMPARE(asks({"Status Mode", "SetConfig Mode 3"}, "dsp2"), QString("Mode 9 0x9|Mode 3 0x3"));
        QCOMPARE(rig->takeRequests(0).size(), 0);

        QCOMPARE(ask("SetConfig CoarseGain 9 70000"), QString("CoarseGain 3 4464 0x1170"));
        const UnitRequest w = onlyRequest(0);
        QVERIFY(w.write && w.address == channelAddress(coarseGain, 3) && w.length == 2 && w.value == 4464);
        QCOMPARE(ask("SetConfig CoarseGain 0x10001"), QString("CoarseGain 1 0x1"));
        QCOMPARE(onlyRequest(0).address, coarseGain);
        QCOMPARE(asks({"SetConfig Mode", "SetConfig Mode 2 7"}), QString("Mode 0 0x0|Mode 2 7 0x7"));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(7));
        // The answer shows what the unit says after the write: a counter ignores it.
        rig->emu->pinReg(0, A::fTotalCount1, 9);
        QCOMPARE(ask("SetConfig FTotalCount1 0 5"), QString("FTotalCount1 0 9 0x9"));

        rig->takeRequests(0);
        rig->takeRequests(1);
        for (const char* key : {"coarsegain", "\"HV Stat\"", ""})
            QCOMPARE(ask(QString("Status %1").arg(key).trimmed()),
                     QString("Er: No Status [%1]").arg(QString(key).remove('"')));
        QCOMPARE(ask("SetConfig coarsegain 1 2"), QString("Er: No Status [coarsegain]"));
        for (const char* sub : {"dsp9", "Dsp1", ""})
            QCOMPARE(asks({"Status Mode", "SetConfig Mode 1"}, sub),
                     QString("Er: No dsp of id %1|Er: No dsp of id %1").arg(sub));
        QCOMPARE(rig->takeRequests(0).size() + rig->takeRequests(1).size(), 0);
    }

    void unitThatDoesNotAnswer()
    {
        rig->emu->setReg(0, A::mode, 9);
        rig->emu->setHistogram(0, 0, QVector<quint32>(4096, 1));
        QCOMPARE(ask("Status Mode"), QString("Mode 9 0x9"));
        UnitFaults silent;
        silent.noAnswer = true;
        rig->emu->setFaults(0, silent);
        QCOMPARE(asks({"Status Mode", "SetConfig Mode 4"}), QString("Mode 0 0x0|Mode 0 0x0"));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(4)); // carried out all the same
        QCOMPARE(asks({"GetPeakingTime 0", "GetMeasTimeInSec"}), QString("0|0"));
        QCOMPARE(ask("GetValue 0", ""), QString("2047")); // the histogram still comes over TCP
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        rig->emu->setFaults(0, UnitFaults());
        QCOMPARE(ask("Status Mode"), QString("Mode 4 0x4"));
    }

    void unitWhereNothingListens()
    {
        QString error = rig->startUnits("127.0.65.2", 1); // for its ports only
        if (error.isEmpty()) error = rig->startTavik({"dead 127.0.65.99 1 1 0 0"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(ask("Status Mode", "dead"), QString("Mode 0 0x0"));
        QCOMPARE(ask("GetPeakingTime 1", ""), QString("0"));
        QCOMPARE(ask("GetValue 0", ""), QString("0 Er: data transfer"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(ask("GetROIs", ""), QString("0 2047 0 2047"));
        QCOMPARE(rig->emu->requests(0).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRegisterRequests)
#include "tst_registerrequests.moc"
