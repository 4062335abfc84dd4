#include "RequestRig.h"

#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/VexDA.h"
#include "widgets/LogArea.h"

#include <QTextBlock>
#include <QtTest>

namespace A = UnitAddresses;

// Request cases the program cannot be brought into from outside (units with different
// presets) and the handlers' log lines: the main window in this process, asked through the
// stand-in server like the program itself.
class TestBodyRequests : public QObject
{
    Q_OBJECT

    TavikRig rig;
    std::unique_ptr<Body> body;

    static void add(const QString& key, const QString& rest)
    {
        configStore.add(key, rest.section(' ', 0, 0), rest);
    }

    QString ask(const QString& request, const QString& sub = QString()) { return rig.ctrl.ask(request, sub); }

    bool logged(const QString& text) const
    {
        const QTextDocument* doc = body->findChild<LogArea*>("Log")->display()->document();
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
            if (b.text() == text) return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        QString error = rig.startUnits("127.0.64.2", 2);
        if (error.isEmpty()) error = rig.startServer();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QDir::setCurrent(rig.dir.path()); // the key file
        add("ZEPHRA_IP", "127.0.0.1");
        add("ZEPHRA_PORT", QString::number(rig.server->port));
        add("CONNECT_TO_ZEPHRA", "1");
        add("VEX_UDP_PORT", QString::number(rig.emu->udpPort()));
        add("VEX_TCP_PORT", QString::number(rig.emu->tcpPort()));
        add("VEXDA", "dsp1 " + rig.unitIp(0) + " 0 0 1 1");
        add("VEXDA", "dsp2 " + rig.unitIp(1) + " 1 0 0 0");
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
        QCOMPARE(units.size(), 2);

        units[0]->setPresetValue(10);
        units[1]->setPresetValue(20);
        QCOMPARE(ask("GetPresetValue"), QString("10 Er: Preset Types are different. (10 20)"));
        units[0]->setPresetType(1);
        units[1]->setPresetType(2);
        QCOMPARE(ask("GetPresetType"), QString("1 Er: Preset Types are different. (1 2)"));

        QCOMPARE(ask("SetPresetType real"), QString("Ok:"));
        QCOMPARE(ask("GetPresetType"), QString("1"));
        QCOMPARE(ask("SetPresetValue 0.5"), QString("Ok:"));
        QCOMPARE(ask("GetPresetValue"), QString("0.5"));
        QCOMPARE(rig.emu->regs(1, A::measTime1, 3), quint64(50000000));
    }

    void logLinesOfTheHandlers()
    {
        // The sum's log shows the stored start and the end held to the bins; element 0 is
        // channel 2 of dsp1.
        rig.emu->setHistogram(0, 2, QVector<quint32>(4096, 1));
        QCOMPARE(ask("SetROI 0 -50 99999"), QString("Ok:"));
        QCOMPARE(ask("GetValue 0"), QString("4096"));
        QVERIFY(logged("sum in [-50 4096] of elm 2"));

        QCOMPARE(ask("RunStart 2"), QString("Ok:"));
        QVERIFY(logged("Emitting Event: _ChangedIsBusy 1"));
        QCOMPARE(ask("RunStop"), QString("Ok:"));
        QVERIFY(logged("Emitting Event: _ChangedIsBusy 0"));
        rig.ctrl.takeEvents();

        UnitFaults silent;
        silent.noAnswer = true;
        rig.emu->setFaults(1, silent);
        QCOMPARE(ask("Status Mode", "dsp2"), QString("Mode 0 0x0"));
        QVERIFY(logged("Er: asking status to answer a request from zephra Status"));
        QCOMPARE(ask("SetConfig Mode 1", "dsp2"), QString("Mode 0 0x0"));
        QVERIFY(logged("Er: setting config on a request from zephra SetConfig"));
        rig.emu->setFaults(1, UnitFaults());
    }
};

QTEST_MAIN(TestBodyRequests)
#include "tst_bodyrequests.moc"
