#include "monitor/CalibrationBar.h"
#include "monitor/KevAxis.h"
#include "monitor/MonitorAnalysis.h"
#include "monitor/MonitorModel.h"
#include "monitor/MonitorOptions.h"
#include "monitor/PeakCalibrationDialog.h"
#include "monitor/RunFacts.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <numeric>
#include <qwt_plot.h>
#include <qwt_scale_draw.h>

using McaTransfer::Block;

// The monitor's pieces that need no socket: the ROI sums and measurement number of the
// model, where an option comes from, what the window reads off the spectra, and what the
// node's answers tell the run recorder.
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

    // A file of the test's folder that holds `text`; empty when it cannot be written.
    QString written(const QString& name, const QByteArray& text)
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? f.fileName() : QString();
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

    void roiReports_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("calibration"); // a calibration file's text
        QTest::addColumn<QString>("expected");
        const QString peak = "ROI 990-1010: gross 5010  net 4800 ± 76\ncentroid 1000.00 ch";
        QTest::newRow("calibrated peak")
            << 990 << 1010 << "0 2 0.5" << peak + " (502.00 keV)  FWHM 4.67 ch (2.33 keV)";
        QTest::newRow("other element calibrated") << 990 << 1010 << "1 2 0.5" << peak + "  FWHM 4.67 ch";
        QTest::newRow("no peak") << 10 << 30 << ""
                                 << "ROI 10-30: gross 210  net 0 ± 31  no peak";
        QTest::newRow("too narrow") << 10 << 12 << ""
                                    << "ROI 10-12: gross 30";
        QTest::newRow("partly outside") << 4090 << 5000 << ""
                                        << "ROI 4090-5000: gross 60";
        QTest::newRow("outside") << -9 << -1 << ""
                                 << "ROI -9--1: outside the spectrum";
    }
    void roiReports()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, calibration);
        MonitorModel m;
        m.setRois({{start, end}});
        Block b = block(0, 0, 10);
        const int peak[] = {100, 300, 600, 900, 1000, 900, 600, 300, 100};
        for (int i = 0; i < 9; ++i)
            b.bins[996 + i] += peak[i];
        m.takeTransfer({b});
        MonitorAnalysis a;
        QString error;
        QVERIFY2(a.loadCalibration(written("cal.txt", calibration.toLatin1()), &error), qPrintable(error));
        QTEST(a.reportText(0, m.elements().at(0)), "expected");
    }

    // Two ROI centroids marked with their energies calibrate the element, after a refusal that
    // changed nothing.
    void peaksInTheWindow()
    {
        MonitorModel m;
        Block b = block(0, 0, 10);
        for (int centre : {1000, 2000})
            for (int i = -4; i <= 4; ++i)
                b.bins[centre + i] += 1000 / (1 + i * i);
        m.takeTransfer({b});
        MonitorAnalysis a;
        CalibrationBar bar(a);
        bar.showElements(m, {"dsp1 ch 0"});
        PeakCalibrationDialog* d = bar.peaksDialog();
        bar.findChild<QPushButton*>("openPeaks")->click();
        QVERIFY(d->isVisible());
        const auto peakAt = [&](int centre, const char* kev) {
            m.setRois({{centre - 10, centre + 10}});
            d->findChild<QPushButton*>("addCentroid")->click();
            auto* table = d->findChild<QTableWidget*>("peaks");
            table->item(table->rowCount() - 1, 1)->setText(kev);
            d->findChild<QPushButton*>("apply")->click();
        };
        peakAt(1000, "500");
        QVERIFY(!a.calibration(0) && !bar.kevAxis());
        peakAt(2000, "1000");
        QVERIFY(bar.kevAxis());
        const QString report = a.reportText(0, m.elements().at(0));
        QVERIFY2(report.contains("centroid 2000.00 ch (1000.00 keV)"), qPrintable(report));
        QCOMPARE(bar.state(), QString("Calibration of dsp1 ch 0 from 2 marked peaks"));
    }

    // A wrong file changes nothing; the dead-time alarm is raised once per run.
    void calibrationAndAlarm()
    {
        MonitorAnalysis a(20);
        QString error;
        QVERIFY(a.loadCalibration(written("good.cal", "0 1 0.25\n"), &error));
        const QString bad = written("bad.cal", "0 1 0.5\n1 2 x\n");
        QVERIFY(!a.loadCalibration(bad, &error));
        QCOMPARE(error, bad + ": line 2: gain \"x\" is not a number");
        QVERIFY(a.calibration(0) && a.calibration(0)->gain == 0.25);

        MonitorModel m;
        const auto take = [&](quint64 busy, double real, double live) {
            Block b = block(0, 0, 1), other = block(1, 0, 1);
            b.busy = busy;
            b.realTime = other.realTime = real;
            b.liveTime = live;
            other.liveTime = real;
            m.takeTransfer({b, other});
            return a.follow(m);
        };
        QVERIFY(!take(1, 10, 8.5)); // 15 %
        QVERIFY(take(1, 20, 15));   // 25 %
        QVERIFY(!a.follow(m));
        QVERIFY(!take(0, 30, 21)); // 30 %, still the run just ended
        QCOMPARE(a.alarmText(0), QString("Dead time above 20 %: up to 30 % in this run"));
        QCOMPARE(a.alarmText(1), QString());
        QVERIFY(!take(1, 1, 1)); // a new run
        QCOMPARE(a.alarm(0), std::nullopt);
    }

    // In channels unless every element summed is calibrated; then on their common keV axis.
    void sums()
    {
        MonitorModel m;
        m.takeTransfer({block(0, 0, 1), block(1, 0, 2), block(2, 0, 4)});
        MonitorAnalysis a;
        QString error;
        QVERIFY(a.loadCalibration(written("sum.cal", "0 0 1\n1 0 2\n"), &error));
        const MonitorAnalysis::Sum channels = a.sum(m, {0, 2, 9}, true), kev = a.sum(m, {0, 1}, true);
        QVERIFY(!channels.axis && channels.counts == Analysis::Spectrum(4096, 5.0));
        QCOMPARE(a.sum(m, {0, 1}, false).counts, Analysis::Spectrum(4096, 3.0));
        QVERIFY(kev.axis && kev.axis->lowEdge == -1 && kev.axis->binWidth == 2);
        QCOMPARE(std::accumulate(kev.counts.cbegin(), kev.counts.cend(), 0.0), 4096 * 3.0);
    }

    // keV ticks at round energies, placed at their channels, and labelled with them.
    void kevAxis()
    {
        QwtPlot plot;
        plot.setAxisScale(QwtPlot::xBottom, 0, 4096);
        KevAxis::apply(&plot, Analysis::Calibration{-3, 0.5, 1e-5});
        plot.updateAxes();
        const QList<double> ticks = plot.axisScaleDiv(QwtPlot::xBottom).ticks(QwtScaleDiv::MajorTick);
        QVERIFY(ticks.size() >= 3);
        for (double x : ticks) {
            const double kev = -3 + 0.5 * (x - 0.5) + 1e-5 * (x - 0.5) * (x - 0.5);
            QVERIFY2(qAbs(kev - qRound(kev / 500) * 500) < 1e-6, qPrintable(QString::number(kev)));
            QCOMPARE(plot.axisScaleDraw(QwtPlot::xBottom)->label(x).text(),
                     QLocale().toString(double(qRound(kev)), 'g', 6));
        }
        KevAxis::apply(&plot, std::nullopt);
        plot.updateAxes();
        QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).ticks(QwtScaleDiv::MajorTick).first(), 0.0);
    }

    // The keys the window's analysis reads from the configuration.
    void analysisKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected"); // calibration file and alarm percent, or the error
        const QString bad = "MONITOR_DEAD_TIME_ALARM must be 0-100 (%)";
        QTest::newRow("defaults") << QByteArray() << " 10";
        QTest::newRow("set") << QByteArray("monitor_calibration \"my cal.txt\"\nMONITOR_DEAD_TIME_ALARM 2.5")
                             << "my cal.txt 2.5";
        QTest::newRow("no number") << QByteArray("MONITOR_DEAD_TIME_ALARM ten") << bad;
        QTest::newRow("above 100") << QByteArray("MONITOR_DEAD_TIME_ALARM 100.5") << bad;
    }
    void analysisKeys()
    {
        QFETCH(QByteArray, file);
        MonitorOptions o;
        QString message;
        if (MonitorOptions::read({"tavik-monitor", "--config", written("keys.cfg", file)}, &o, &message) ==
            MonitorOptions::Run)
            message = o.calibrationFile + " " + QString::number(o.deadTimeAlarmPercent);
        QTEST(message, "expected");
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
