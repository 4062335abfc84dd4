#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/VexDA.h"
#include "requests/RequestRig.h"
#include "widgets/LogArea.h"

#include <QTextEdit>
#include <QtTest>

namespace A = UnitAddresses;

// Units that answer wrongly, trickle their histograms or stay silent at start-up: the
// program answers once, never with stale or misread numbers, and does not stall.
class TestFaultyUnits : public QObject
{
    Q_OBJECT

private slots:
    void wrongLengthAndTricklingHistogram()
    {
        TavikRig rig;
        QString error = rig.startUnits("127.0.71.2", 1);
        if (error.isEmpty()) error = rig.startTavik({"d0 " + rig.unitIp(0) + " 1 0 0 0"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        rig.emu->setReg(0, A::mode, 5);
        QCOMPARE(rig.ctrl.ask("Status Mode", "d0"), QString("Mode 5 0x5"));

        UnitFaults faults;
        faults.extraAnswerBytes = 40; // once read as 21674681358877958
        rig.emu->setFaults(0, faults);
        QCOMPARE(rig.ctrl.ask("Status Mode", "d0"), QString("Mode 0 0x0"));

        faults = UnitFaults();
        faults.pieceBytes = 1; // one byte every 0.3 s: 80 minutes for a histogram
        faults.pieceGapMs = 300;
        rig.emu->setFaults(0, faults);
        QElapsedTimer took;
        took.start();
        QCOMPARE(rig.ctrl.ask("GetHistgram 0"), QString("0 Er: data transfer"));
        QVERIFY2(took.elapsed() < 15000, "the transfer has an overall deadline");
        rig.emu->setFaults(0, UnitFaults());
        QCOMPARE(rig.ctrl.ask("Status Mode", "d0"), QString("Mode 5 0x5"));
        QVERIFY(rig.ctrl.noAnswerWithin(300));
    }

    // A unit silent at start-up is waited for once, not for each of its set-up accesses.
    void silentUnitAtStartUp()
    {
        QString error;
        auto emu = startEmulatedUnits("127.0.72.2", 2, &error);
        QVERIFY2(emu, qPrintable(error));
        UnitFaults silent;
        silent.noAnswer = true;
        emu->setFaults(1, silent);
        for (const auto& [key, rest] :
             {std::pair<QString, QString>{"VEX_UDP_PORT", QString::number(emu->udpPort())},
              {"VEX_TCP_PORT", QString::number(emu->tcpPort())},
              {"VEXDA", "up 127.0.72.2 1 0 0 0"},
              {"VEXDA", "down 127.0.72.3 1 0 0 0"}})
            configStore.add(key, rest.section(' ', 0, 0), rest);
        Body body;
        const QString log = body.findChild<LogArea*>("Log")->display()->toPlainText();
        QCOMPARE(log.count("down: Err. Timeout waiting ans from UDP"), 0); // its set-up is not waited for
        QCOMPARE(log.count("down: no answer at start-up: not waited for again until the program has started"),
                 1);
        QCOMPARE(log.count("up: Err. Timeout"), 0);
        // Later accesses wait for it again.
        VexDA* down = body.dspGroup().units().at(1);
        emu->setFaults(1, UnitFaults());
        emu->setReg(1, A::mode, 9);
        QCOMPARE(down->readValue(A::mode), quint64(9));
    }
};

QTEST_MAIN(TestFaultyUnits)
#include "tst_faultyunits.moc"
