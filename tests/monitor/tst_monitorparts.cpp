#include "monitor/MonitorModel.h"
#include "monitor/MonitorOptions.h"
#include "monitor/RunFacts.h"

#include <QtTest>

using McaTransfer::Block;

// The monitor's pieces that need no socket: the ROI sums and measurement number of the
// model, where an option comes from, and what the node's answers tell the run recorder.
class TestMonitorParts : public QObject
{
    Q_OBJECT

    static Block block(quint32 channel, quint32 tag, quint32 binValue)
    {
        Block b;
        b.channel = channel;
        b.tag = tag;
        b.binCount = McaTransfer::binCount;
        b.bins.fill(binValue, McaTransfer::binCount);
        return b;
    }

private Q_SLOTS:
    // The sum counts both ends, as GetValues does, and only bins that exist.
    void roiSumsAndNames()
    {
        MonitorModel m;
        m.setElementNames(MonitorAnswers::elementNames({"dsp1 127.0.0.2 1 0 1 0", "dsp2 127.0.0.3 0 0 0 1"}));
        m.setRois({{100, 200}, {-5, 5}, {4000, 99999}});
        m.takeTransfer({block(0, 3, 1), block(2, 0, 2), block(3, 0, 3)});
        QCOMPARE(m.elements().at(0).roiSum, quint64(101));
        QCOMPARE(m.elements().at(1).roiSum, quint64(6 * 2));
        QCOMPARE(m.elements().at(2).roiSum, quint64(96 * 3));
        QCOMPARE(m.elements().at(2).unit, QString("dsp2"));
        m.setRois({{0, 0}});
        QCOMPARE(m.elements().at(0).roiSum, quint64(1));
        QVERIFY(!m.elements().at(1).hasRoi);
        // Channels that disagree with the configuration: no names at all.
        m.takeTransfer({block(0, 3, 1), block(1, 0, 1), block(3, 0, 1)});
        QCOMPARE(m.elements().at(0).unit, QString());
    }

    void measurementNumber()
    {
        MonitorModel m;
        QCOMPARE(m.nextMeasurementNumber(), quint32(1));
        m.noteStarted(4);
        m.takeTransfer({block(0, 9, 0), block(1, 0, 0)}); // running: block 1 carries 0
        QCOMPARE(m.measurementNumber(), quint32(4));
        QCOMPARE(m.runCounter(), quint32(9));
        m.takeTransfer({block(0, 10, 0), block(1, 12, 0)});
        QCOMPARE(m.nextMeasurementNumber(), quint32(13));
        m.takeTransfer({block(0, 11, 0)}); // one element: no number sent
        QCOMPARE(m.measurementNumber(), quint32(12));
    }

    void optionsCommandLineWinsOverFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // host port name keys node interval, or the error
        const QString file =
            "ZEPHRA_IP 10.0.0.9\nzephra_port 7001\nMONITOR_NAME watcher\nMONITOR_INTERVAL 0.5\n";
        QTest::newRow("defaults") << QStringList() << "localhost 6057 monitor monitor.key Tavik 2000";
        QTest::newRow("file") << QStringList{"--config", "FILE"}
                              << "10.0.0.9 7001 watcher monitor.key Tavik 500";
        QTest::newRow("both") << QStringList{"--config", "FILE", "--port", "7002",
                                             "--node",   "T2",   "--keys", "k"}
                              << "10.0.0.9 7002 watcher k T2 500";
        QTest::newRow("bad port") << QStringList{"--port", "70000"} << "the port must be 1-65535";
        QTest::newRow("short interval")
            << QStringList{"--interval", "0.1"} << "the interval must be 0.2-3600 s";
        QTest::newRow("name with dot")
            << QStringList{"--name", "a.b"} << "the name must be one word without '>' or '.'";
        QFile f(dir.filePath("m.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file.toLatin1()) > 0);
        configFile = f.fileName();
    }
    void optionsCommandLineWinsOverFile()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings("FILE", configFile);
        MonitorOptions o;
        QString message;
        const MonitorOptions::Outcome outcome =
            MonitorOptions::read(QStringList("tavik-monitor") + args, &o, &message);
        const QString got = outcome == MonitorOptions::Run ? QString("%1 %2 %3 %4 %5 %6")
                                                                 .arg(o.host)
                                                                 .arg(o.port)
                                                                 .arg(o.name, o.keyFile, o.node)
                                                                 .arg(o.intervalMs)
                                                           : message;
        QTEST(got, "expected");
    }

    // A node's answer to a question | what the run takes of it: preset type, value, HV state
    // and voltage (- unknown).
    void runFactsFromAnswers_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("types differ")
            << "GetPresetType 1 Er: Preset Types are different. (1 2 0)|REAL/LIVE/NONE 0  -";
        QTest::newRow("values differ") << "GetPresetValue 10 Er: Preset Types are different. (10 20)| 10  -";
        QTest::newRow("sweep on") << "HVStat2 2| 0 On -";
        QTest::newRow("voltage") << "HVVol 1200.5| 0  1200.5";
        QTest::newRow("no HV unit") << "HVVol Er: HV unit is not avaliable.| 0  -";
    }
    void runFactsFromAnswers()
    {
        QFETCH(QString, row);
        const QStringList answer = row.section('|', 0, 0).split(' ');
        RunFacts f;
        f.take(answer.first(), answer.mid(1));
        const QString voltage = f.hvVoltageKnown ? QString::number(f.hvVoltage) : "-";
        QCOMPARE(QString("%1 %2 %3 %4").arg(f.presetType).arg(f.presetValue).arg(f.hvState, voltage),
                 row.section('|', 1));
    }

private:
    QTemporaryDir dir;
    QString configFile;
};

QTEST_MAIN(TestMonitorParts)
#include "tst_monitorparts.moc"
