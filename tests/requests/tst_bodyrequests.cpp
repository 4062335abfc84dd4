#include "tests/support/RequestRig.h"

#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/VexDA.h"
#include "widgets/LogArea.h"
#include "widgets/StyleSheets.h"

#include <QCheckBox>
#include <QTextBlock>
#include <QtTest>

// What cannot be reached from outside the program: units with different presets, and the
// log lines of the handlers and of the messages, with their colours. The main window runs
// in this process, asked through the stand-in server like the program itself.
class TestBodyRequests : public QObject
{
    Q_OBJECT

    TavikRig rig;
    std::unique_ptr<Body> body;

    QString ask(const QString& r, const QString& sub = {}) { return rig.ctrl.ask(r, sub); }

    QString indicator(int unit, const char* name)
    {
        return body->dspGroup().units().at(unit)->unitStat.findChild<StatDisp*>(name)->statStyle();
    }

    // The colour of the log line with this text; invalid when there is none.
    QColor logged(const QString& text) const
    {
        const QTextDocument* doc = body->findChild<LogArea*>("Log")->display()->document();
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
            if (b.text() == text) return b.begin().fragment().charFormat().foreground().color();
        return QColor();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error = rig.startUnits("127.0.64.2", 2);
        if (error.isEmpty()) error = rig.startServer();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QDir::setCurrent(rig.dir.path()); // the key file
        rig.extraConfig = "RECORD_MSG_TO_ZEPHRA 1\nRECORD_MSG_FROM_ZEPHRA 2\n";
        const QStringList vexda{"dsp1 " + rig.unitIp(0) + " 0 0 1 1", "dsp2 " + rig.unitIp(1) + " 1 0 0 0"};
        for (const QString& line : rig.configText(vexda).split('\n', Qt::SkipEmptyParts))
            configStore.add(line.section(' ', 0, 0), line.section(' ', 1, 1), line.section(' ', 1));
        body = std::make_unique<Body>();
        QVERIFY(rig.ctrl.waitUntilServed(TavikRig::startMs));
    }

    void cleanupTestCase()
    {
        body.reset();
        rig.stop();
    }

    void cleanup() { QVERIFY2(rig.ctrl.noAnswerWithin(100), qPrintable(rig.ctrl.strays.join('\n'))); }

    void presetsThatDiffer()
    {
        const QVector<VexDA*>& units = body->dspGroup().units();
        units[0]->setPresetValue(10);
        units[1]->setPresetValue(20);
        QCOMPARE(ask("GetPresetValue"), QString("10 Er: Preset Types are different. (10 20)"));
        units[0]->setPresetType(1);
        units[1]->setPresetType(2);
        QCOMPARE(ask("GetPresetType"), QString("1 Er: Preset Types are different. (1 2)"));
    }

    void runStopLeavesASnapshotOfTheRun()
    {
        for (int c = 0; c < 4; ++c)
            rig.emu->setHistogram(0, c, QVector<quint32>(4096, quint32(c + 1)));
        pinWords(*rig.emu, 0, A::realTime1, 150000000, 3);
        pinWords(*rig.emu, 0, channelAddress(A::liveTime1, 2), 50000000, 3);
        pinWords(*rig.emu, 0, channelAddress(A::icr1, 2), 1234, 2);
        QCOMPARE(rig.ctrl.asks({"Resume 7", "RunStop"}), QString("Ok:|Ok:"));
        const McaSet* set = body->dspGroup().units().at(0)->lastMcaSet();
        QCOMPARE(QVector<int>({set->id, set->runCount, set->blocks.size()}), QVector<int>({7, 1, 4}));
        const McaBlock& b = set->blocks.at(2);
        QCOMPARE(QVector<double>({double(b.quad(0)), double(b.quad(8)), double(b.quad(16)), b.real(24),
                                  b.real(32), b.real(40), double(b.bin(4095))}),
                 QVector<double>({2, 0, 4096, 1.5, 0.5, 1234, 3}));
        body->findChild<QCheckBox*>("EmulateSignal")->setChecked(true); // bins counted up per channel
        QCOMPARE(rig.ctrl.asks({"Resume 8", "RunStop"}), QString("Ok:|Ok:"));
        QCOMPARE(body->dspGroup().units().at(0)->lastMcaSet()->blocks.at(2).bin(3), 9u);
        body->findChild<QCheckBox*>("EmulateSignal")->setChecked(false);
        rig.ctrl.takeEvents();
    }

    void logLines()
    {
        // Only the messages sent are logged, as the configuration asks.
        auto* toZephra = body->findChild<QCheckBox*>("LogMsgToZephra");
        auto* fromZephra = body->findChild<QCheckBox*>("LogMsgFromZephra");
        QVERIFY(toZephra->isChecked() && !fromZephra->isChecked());
        QCOMPARE(ask("GetMCALength 1"), QString("Er: Number of Params shuld be 0"));
        QCOMPARE(logged("---- Snd Tavik>ctrl @GetMCALength Er: Number of Params shuld be 0"),
                 QColor(0, 200, 120));
        QVERIFY(!logged(":::: Rcv ctrl>Tavik GetMCALength 1").isValid());
        fromZephra->setChecked(true);
        toZephra->setChecked(false);
        QCOMPARE(ask("Nope"), QString("Er: Unknown Command"));
        QCOMPARE(logged(":::: Rcv ctrl>Tavik Nope"), QColor(200, 120, 0));
        QVERIFY(logged("**** Er: Nope").isValid());
        QVERIFY(!logged("---- Snd Tavik>ctrl @Nope Er: Unknown Command").isValid());

        // The sum's log shows the stored start and the end held to the bins (element 0 is
        // channel 2 of dsp1); the busy events; register and histogram time-outs.
        rig.emu->setHistogram(0, 2, QVector<quint32>(4096, 1));
        QCOMPARE(rig.ctrl.asks({"SetROI 0 -50 99999", "GetValue 0", "RunStart 2", "RunStop"}),
                 QString("Ok:|4096|Ok:|Ok:"));
        rig.ctrl.takeEvents();
        // A silent unit: zeros, not the last answers, and its histogram still comes over TCP.
        UnitFaults silent;
        silent.noAnswer = true;
        rig.emu->setFaults(1, silent);
        rig.emu->setHistogram(1, 0, QVector<quint32>(4096, 1));
        QCOMPARE(rig.ctrl.asks({"Status Mode", "SetConfig Mode 1", "GetPeakingTime 2", "GetMeasTimeInSec",
                                "GetValue 2"},
                               "dsp2"),
                 QString("Mode 0 0x0|Mode 0 0x0|0|0|2047"));
        QCOMPARE(indicator(1, "UDPTimeout"), QString(StyleSheets::pink));
        rig.emu->setFaults(1, UnitFaults());
        QCOMPARE(ask("Status Mode", "dsp2"), QString("Mode 1 0x1"));
        QCOMPARE(indicator(1, "UDPTimeout"), QString(StyleSheets::green));
        UnitFaults slow;
        slow.pieceBytes = 8192;
        slow.pieceGapMs = 700;
        rig.emu->setFaults(0, slow);
        QCOMPARE(ask("GetValue 0"), QString("0 Er: data transfer")); // never an earlier histogram
        QCOMPARE(indicator(0, "TCPTimeout"), QString(StyleSheets::pink));
        rig.emu->setFaults(0, UnitFaults());
        for (const char* line :
             {"sum in [-50 4096] of elm 2", "Emitting Event: _ChangedIsBusy 1",
              "Emitting Event: _ChangedIsBusy 0", "Er: asking status to answer a request from zephra Status",
              "Er: setting config on a request from zephra SetConfig",
              "dsp2: Err. Timeout waiting ans from UDP for CMD [b4000010]",
              "dsp1: Err. Timeout waiting ans from TCP for Histgram",
              "dsp1: re-opening the TCP connection every 1000 ms until it is made"})
            QVERIFY2(logged(line) == QColor(0, 0, 0), line);
    }
};

QTEST_MAIN(TestBodyRequests)
#include "tst_bodyrequests.moc"
