#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "tests/support/RequestRig.h"
#include "widgets/LogArea.h"

#include <QTextEdit>
#include <QtTest>

// Units that drop or refuse their data link, send bytes after a histogram, or stay silent at
// start-up: never stale or misread numbers, no stall, and a unit tried again as soon as a
// request needs it.
class TestFaultyUnits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A watch tick held back by a long wait is followed by one soon after: little real time
    // has passed then, and a unit that still counts must not be taken for stopped.
    void watchTickSoonAfterAnotherKeepsTheRun()
    {
        QString error;
        auto emu = startEmulatedUnits("127.0.73.6", 1, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
        buildRegisterMap();
        VexDA unit("u", emu->unitAddress(0).toString());
        unit.setPresetType(1);
        unit.setPresetValue(100);
        QVERIFY(unit.writeRegister(A::start, 1, true, 2));
        QVERIFY(QMetaObject::invokeMethod(&unit, "startMeasWatch"));
        for (int tick = 0; tick < 3; ++tick)
            QVERIFY(QMetaObject::invokeMethod(&unit, "measWatch"));
        QVERIFY(unit.busy);
        QVERIFY(unit.writeRegister(A::start, 0, true, 2));
        QTRY_VERIFY(QMetaObject::invokeMethod(&unit, "measWatch") && !unit.busy);
    }

    // A link the unit closed is opened again by the transfer that finds it closed; a unit
    // that refuses is tried once, and its register is not written for nothing.
    void closedLinkReopenedRefusedOneTriedOnce()
    {
        QString error;
        auto emu = startEmulatedUnits("127.0.73.2", 1, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
        buildRegisterMap();
        QStringList lines;
        VexDA unit("u", emu->unitAddress(0).toString());
        connect(&unit, &VexUnit::log, [&](const QString& m) { lines << m; });
        unit.openTcp();
        QTRY_VERIFY(unit.tcpIsConnected);
        emu->setHistogram(0, 2, {1, 2, 3});
        emu->closeTcp(0); // not yet noticed: the first request's bins go nowhere
        QVERIFY2(unit.getHistogram(2, nullptr), qPrintable(lines.join('\n')));
        QCOMPARE(unit.histogram.mid(0, 4), (QVector<quint32>{1, 2, 3, 0}));
        // The loss, noticed while the transfer waited, is shown like any other.
        QCOMPARE(lines.filter(QRegularExpression("tcp (dis)?connected$")),
                 (QStringList{"u: tcp connected", "u: tcp disconnected", "u: tcp connected"}));
        // Bytes after the bins are no part of the next histogram.
        UnitFaults after;
        after.trailingBytes = 8;
        emu->setFaults(0, after);
        lines.clear();
        QVERIFY(unit.getHistogram(2, nullptr) && unit.getHistogram(2, nullptr));
        QCOMPARE(unit.histogram.mid(0, 4), (QVector<quint32>{1, 2, 3, 0}));
        QCOMPARE(lines, QStringList("u: Something left in TCP read buffer of 8 bytes are discarded"));

        UnitFaults refuse;
        refuse.refuseTcp = true;
        emu->setFaults(0, refuse);
        emu->closeTcp(0);
        QTRY_VERIFY(!unit.tcpIsConnected);
        emu->clearRequests(0);
        lines.clear();
        for (int ch = 0; ch < 4; ++ch)
            QVERIFY(!unit.getHistogram(ch, nullptr));
        QCOMPARE(lines.filter("TCP connection not made").size(), 1);
        QCOMPARE(writesTo(emu->requests(0), A::histgram).size(), 0);
        emu->setFaults(0, UnitFaults());
        QTRY_VERIFY(unit.getHistogram(2, nullptr)); // once the re-open timer has run
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
