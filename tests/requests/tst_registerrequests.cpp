#include "RequestRig.h"

#include <QtTest>

namespace A = UnitAddresses;

// Status and SetConfig through the real program against the emulated units' registers, and
// how requests are answered when a unit does not answer.
class TestRegisterRequests : public QObject
{
    Q_OBJECT

    static constexpr quint32 coarseGain = A::channelBase; // the first register of a channel
    static constexpr int lateMs = 700;                    // past the program's 500 ms wait
    static constexpr int settleMs = 300;                  // past lateMs after a 500 ms time-out
    std::unique_ptr<TavikRig> rig;

    QString ask(const QString& request, const QString& sub = QString())
    {
        return rig->ctrl.ask(request, sub);
    }

    QString startTwoUnits()
    {
        rig = std::make_unique<TavikRig>();
        QString error = rig->startUnits("127.0.65.2", 2);
        if (error.isEmpty())
            error = rig->startTavik(
                {"dsp1 " + rig->unitIp(0) + " 1 1 1 1", "dsp2 " + rig->unitIp(1) + " 1 1 1 1"});
        return error;
    }

    // The requests a unit received since the last call.
    QVector<UnitRequest> taken(int unit)
    {
        QVector<UnitRequest> r;
        for (const QByteArray& d : rig->emu->requests(unit))
            r << UnitRequest::parse(d);
        rig->emu->clearRequests(unit);
        return r;
    }

    // The one request a unit received since the last call; address 0 when it got none or more.
    UnitRequest onlyRequest(int unit)
    {
        const QVector<UnitRequest> r = taken(unit);
        return r.size() == 1 ? r.first() : UnitRequest();
    }

    static QString withValue(const QString& head, quint64 v)
    {
        return QString("%1 %2 0x%3").arg(head).arg(v).arg(v, 0, 16);
    }

private slots:
    void cleanup()
    {
        QVERIFY2(rig->ctrl.noAnswerWithin(100), qPrintable(rig->ctrl.strays.join('\n')));
        QVERIFY(rig->tavikRunning());
        rig.reset();
    }

    void statusReadsTheResolvedAddress()
    {
        const QString error = startTwoUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        taken(0);
        taken(1);

        rig->emu->setReg(0, A::mode, 0x1234);
        QCOMPARE(ask("Status Mode 2", "dsp1"), QString("Mode 2 4660 0x1234")); // unit-wide: no offset
        UnitRequest r = onlyRequest(0);
        QCOMPARE(r.address, A::mode);
        QVERIFY(!r.write);
        QCOMPARE(r.length, 2);

        rig->emu->setReg(0, channelAddress(coarseGain, 3), 77);
        rig->emu->setReg(0, coarseGain, 5);
        QCOMPARE(ask("Status CoarseGain 9", "dsp1"), QString("CoarseGain 3 77 0x4d"));
        QCOMPARE(onlyRequest(0).address, channelAddress(coarseGain, 3));
        QCOMPARE(ask("Status CoarseGain -4", "dsp1"), QString("CoarseGain 0 5 0x5"));
        QCOMPARE(ask("Status CoarseGain abc", "dsp1"), QString("CoarseGain 0 5 0x5"));
        taken(0);
        QCOMPARE(ask("Status CoarseGain", "dsp1"), QString("CoarseGain 5 0x5"));
        QCOMPARE(onlyRequest(0).address, coarseGain);

        rig->emu->pinReg(0, channelAddress(A::fTotalCount2, 1), 0xBEEF);
        QCOMPARE(ask("Status FTotalCount2 1", "dsp1"), QString("FTotalCount2 1 48879 0xbeef"));
        QCOMPARE(onlyRequest(0).address, channelAddress(A::fTotalCount2, 1));

        // One word only: the most significant of the three.
        QCOMPARE(ask("SetMeasTimeInSec 10000", "dsp1"), QString("Ok:"));
        QVERIFY(rig->emu->reg(0, A::measTime1) != 0);
        taken(0);
        QCOMPARE(ask("Status MeasTime1", "dsp1"), withValue("MeasTime1", rig->emu->reg(0, A::measTime1)));
        r = onlyRequest(0);
        QCOMPARE(r.address, A::measTime1);
        QCOMPARE(r.length, 2);

        QCOMPARE(ask("Status DTDelay1", "dsp1"), QString("DTDelay1 0 0x0"));
        QCOMPARE(onlyRequest(0).address, A::dtDelay1);

        rig->emu->setReg(1, A::mode, 9);
        QCOMPARE(ask("Status Mode", "dsp2"), QString("Mode 9 0x9"));
        QCOMPARE(onlyRequest(1).address, A::mode);
        QCOMPARE(taken(0).size(), 0);
    }

    void setConfigWritesTheLowWord()
    {
        const QString error = startTwoUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        taken(0);

        QCOMPARE(ask("SetConfig CoarseGain 1 0x1F", "dsp1"), QString("CoarseGain 1 31 0x1f"));
        UnitRequest r = onlyRequest(0);
        QVERIFY(r.write);
        QCOMPARE(r.address, channelAddress(coarseGain, 1));
        QCOMPARE(r.length, 2);
        QCOMPARE(r.value, quint64(31));
        QCOMPARE(rig->emu->reg(0, channelAddress(coarseGain, 1)), quint16(31));
        QCOMPARE(ask("SetConfig CoarseGain 1 0X1F", "dsp1"), QString("CoarseGain 1 0 0x0"));
        QCOMPARE(rig->emu->reg(0, channelAddress(coarseGain, 1)), quint16(0));
        QCOMPARE(ask("SetConfig CoarseGain 2 70000", "dsp1"), QString("CoarseGain 2 4464 0x1170"));
        QCOMPARE(rig->emu->reg(0, channelAddress(coarseGain, 2)), quint16(4464));
        QCOMPARE(ask("SetConfig CoarseGain 9 12", "dsp1"), QString("CoarseGain 3 12 0xc"));
        QCOMPARE(rig->emu->reg(0, channelAddress(coarseGain, 3)), quint16(12));
        taken(0);
        QCOMPARE(ask("SetConfig CoarseGain 0x10001", "dsp1"), QString("CoarseGain 1 0x1"));
        QCOMPARE(onlyRequest(0).address, coarseGain);

        rig->emu->setReg(0, A::mode, 5);
        QCOMPARE(ask("SetConfig Mode", "dsp1"), QString("Mode 0 0x0"));
        r = onlyRequest(0);
        QVERIFY(r.write);
        QCOMPARE(r.value, quint64(0));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(0));
        QCOMPARE(ask("SetConfig Mode 2 7", "dsp1"), QString("Mode 2 7 0x7"));
        QCOMPARE(onlyRequest(0).address, A::mode);
        QCOMPARE(ask("SetConfig Mode -1", "dsp1"), QString("Mode 65535 0xffff"));

        // The answer shows what the unit says after the write: a counter ignores it.
        rig->emu->pinReg(0, A::fTotalCount1, 9);
        QCOMPARE(ask("SetConfig FTotalCount1 0 5", "dsp1"), QString("FTotalCount1 0 9 0x9"));
        QCOMPARE(ask("SetConfig Mode 3", "dsp2"), QString("Mode 3 0x3"));
        QCOMPARE(rig->emu->reg(1, A::mode), quint16(3));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(0xFFFF));
    }

    void refusedKeysAndUnits()
    {
        const QString error = startTwoUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        taken(0);
        taken(1);
        QCOMPARE(ask("Status coarsegain", "dsp1"), QString("Er: No Status [coarsegain]"));
        QCOMPARE(ask("SetConfig coarsegain 1 2", "dsp1"), QString("Er: No Status [coarsegain]"));
        QCOMPARE(ask("SetConfig Nope", "dsp2"), QString("Er: No Status [Nope]"));
        QCOMPARE(ask("Status", "dsp1"), QString("Er: No Status []"));
        QCOMPARE(ask("Status Mode", "dsp9"), QString("Er: No dsp of id dsp9"));
        QCOMPARE(ask("SetConfig Mode 1", "Dsp1"), QString("Er: No dsp of id Dsp1"));
        QCOMPARE(ask("Status Mode"), QString("Er: No dsp of id "));
        QCOMPARE(taken(0).size() + taken(1).size(), 0);
    }

    void unitThatDoesNotAnswer()
    {
        const QString error = startTwoUnits();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        rig->emu->setReg(0, A::mode, 9);
        rig->emu->setReg(1, A::mode, 6);
        rig->emu->setHistogram(0, 0, QVector<quint32>(4096, 1));
        UnitFaults silent;
        silent.noAnswer = true;
        rig->emu->setFaults(0, silent);

        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 0 0x0"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(ask("SetConfig Mode 4", "dsp1"), QString("Mode 0 0x0"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(rig->emu->reg(0, A::mode), quint16(4)); // carried out all the same
        QCOMPARE(ask("GetPeakingTime 0"), QString("0"));
        QCOMPARE(ask("GetMeasTimeInSec", "dsp1"), QString("0"));
        QCOMPARE(ask("GetValue 0"), QString("2047")); // the histogram still comes over TCP
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(ask("Status Mode", "dsp2"), QString("Mode 6 0x6"));

        rig->emu->setFaults(0, UnitFaults());
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 4 0x4"));

        // A late answer is not taken for a later request.
        UnitFaults late;
        late.answerDelayMs = lateMs;
        rig->emu->setFaults(0, late);
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 0 0x0"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        rig->emu->setFaults(0, UnitFaults());
        rig->emu->setReg(0, A::mode, 12);
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 12 0xc"));

        // An answer for another address is dropped: a stray one before the right one is
        // passed over, a wrong one alone leaves nothing.
        UnitFaults stray;
        stray.strayDatagram = true;
        rig->emu->setFaults(0, stray);
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 12 0xc"));
        UnitFaults misaddressed;
        misaddressed.wrongAddress = true;
        rig->emu->setFaults(0, misaddressed);
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 0 0x0"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        rig->emu->setFaults(0, UnitFaults());
        QCOMPARE(ask("Status Mode", "dsp1"), QString("Mode 12 0xc"));
    }

    void unitWhereNothingListens()
    {
        rig = std::make_unique<TavikRig>();
        QString error = rig->startUnits("127.0.65.2", 1); // for its ports only
        if (error.isEmpty()) error = rig->startTavik({"dead 127.0.65.99 1 1 0 0"});
        QVERIFY2(error.isEmpty(), qPrintable(error));

        QCOMPARE(ask("Status Mode", "dead"), QString("Mode 0 0x0"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(ask("GetPeakingTime 1"), QString("0"));
        QCOMPARE(ask("GetMeasTimeInSec", "dead"), QString("0"));
        QCOMPARE(ask("GetValue 0"), QString("0 Er: data transfer"));
        QVERIFY(rig->ctrl.noAnswerWithin(settleMs));
        QCOMPARE(ask("GetROIs"), QString("0 2047 0 2047"));
        QCOMPARE(ask("GetMCALength"), QString("4096"));
        QCOMPARE(rig->emu->requests(0).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRegisterRequests)
#include "tst_registerrequests.moc"
