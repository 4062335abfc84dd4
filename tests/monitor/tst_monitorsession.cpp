#include "consumer/N42Reader.h"
#include "consumer/SpectrumBytes.h"
#include "monitor/DataLinkClient.h"
#include "monitor/ElementPanel.h"
#include "monitor/MonitorSession.h"
#include "monitor/MonitorWindow.h"
#include "monitor/RunRecorder.h"
#include "monitor/ServerLink.h"
#include "monitor/SumWindow.h"
#include "sim/datalink/DataLinkConsumer.h"
#include "tests/support/RequestRig.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QtTest>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>

// The monitor's session in this process against the real program, the stand-in server and
// two emulated units: the transfers the program writes, the request cycle and its "Ack",
// the ROI sums against GetValues, a data link held by another consumer, the losses of the
// program and of the server, and the runs recorded.
class TestMonitorSession : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 30000;
    std::unique_ptr<TavikRig> rig;
    std::unique_ptr<MonitorSession> session;
    std::unique_ptr<RunRecorder> recorder;
    QStringList vexda;
    QStringList asked; // command words the monitor sent, in order
    quint16 linkPort = 0;

    QString startTavik()
    {
        rig = std::make_unique<TavikRig>();
        rig->extraConfig = TavikRig::freeDataLink;
        const QString error = rig->startUnits("127.0.68.2", 2);
        if (!error.isEmpty()) return error;
        vexda = QStringList{"dsp1 " + rig->unitIp(0) + " 1 1 0 0", "dsp2 " + rig->unitIp(1) + " 0 0 1 1"};
        const QString started = rig->startTavik(vexda);
        linkPort = started.isEmpty() ? rig->dataLinkPort() : 0;
        return started;
    }

    void startMonitor()
    {
        MonitorOptions o;
        o.host = "127.0.0.1";
        o.port = rig->server->port;
        o.keyFile = rig->dir.filePath("zephra.keys");
        o.intervalMs = 500;
        o.vexda = vexda;
        QFile calibration(rig->dir.filePath("monitor.cal"));
        if (calibration.open(QIODevice::WriteOnly) && calibration.write("0 1 0.5\n") > 0)
            o.calibrationFile = calibration.fileName();
        session = std::make_unique<MonitorSession>(o);
        connect(&session->server(), &ServerLink::traffic, this, [this](const QString& line, bool sent) {
            if (sent) asked << line.section(' ', 1, 1);
        });
        session->start();
    }

    // A new monitor recording into `folder`; its recorded runs spied on.
    std::unique_ptr<QSignalSpy> startRecording(const QString& folder, const QString& comment = QString())
    {
        recorder.reset();
        startMonitor();
        recorder = std::make_unique<RunRecorder>(*session);
        recorder->setFolder(folder);
        recorder->setComment(comment);
        recorder->setRecording(true);
        return std::make_unique<QSignalSpy>(recorder.get(), &RunRecorder::recorded);
    }

    // The run log's lines of as many cells as its header, by column name.
    static QList<QHash<QString, QString>> runLog(const QString& folder)
    {
        QByteArray bytes;
        if (!loadBytes(QDir(folder).filePath("runs.csv"), &bytes).isEmpty()) return {};
        const QStringList lines = QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
        QList<QHash<QString, QString>> rows;
        for (const QString& line : lines.mid(1)) {
            QHash<QString, QString> row;
            for (int c = 0; c < line.split(',').size(); ++c)
                row.insert(lines.first().split(',').value(c), line.split(',').at(c));
            if (line.split(',').size() == lines.first().split(',').size()) rows << row;
        }
        return rows;
    }

    int transfers() const { return session->model().transfers(); }
    bool transfersBeyond(int n) const
    {
        return QTest::qWaitFor([&] { return transfers() > n; }, waitMs);
    }

private Q_SLOTS:
    void cleanup()
    {
        recorder.reset();
        session.reset();
        rig.reset();
        asked.clear();
    }

    void measurementSeenAndSummedAsTheProgramDoes()
    {
        QVERIFY2(startTavik().isEmpty(), "start");
        startMonitor();
        MonitorWindow window(*session);
        QSignalSpy linkStates(&session->dataLink(), &DataLinkClient::stateChanged);
        QVERIFY(transfersBeyond(0));
        QCOMPARE(rig->ctrl.ask("SetPresetType REAL"), QString("Ok:"));
        QCOMPARE(rig->ctrl.ask("SetPresetValue 2"), QString("Ok:"));
        session->runStart();
        QTRY_VERIFY_WITH_TIMEOUT(session->model().running(), waitMs);
        QCOMPARE(session->model().measurementNumber(), quint32(1));
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", waitMs));
        QTRY_VERIFY_WITH_TIMEOUT(!session->model().running(), waitMs);

        // The final snapshot as the units hold it.
        const QVector<MonitorModel::Element> shown = session->model().elements();
        QCOMPARE(shown.size(), 4);
        for (int k = 0; k < 4; ++k) {
            const int unit = k / 2, ch = k % 2 + 2 * unit;
            const McaTransfer::Block& b = shown.at(k).block;
            QCOMPARE(shown.at(k).unit, QString("dsp%1").arg(unit + 1));
            QCOMPARE(b.channel, quint32(ch));
            QCOMPARE(b.realTime, rig->emu->regs(unit, A::realTime1, 3) * 1e-8);
            QCOMPARE(b.liveTime, rig->emu->regs(unit, channelAddress(A::liveTime1, ch), 3) * 1e-8);
            QCOMPARE(b.icr, double(rig->emu->regs(unit, channelAddress(A::icr1, ch), 2)));
            QCOMPARE(b.bins, rig->emu->histogram(unit, ch));
            QVERIFY(sumOf(b.bins, 0, 4096) > 1000);
        }
        QCOMPARE(session->model().measurementNumber(), quint32(1));

        // The ROI sums shown are GetValues' for the same snapshot.
        QCOMPARE(rig->ctrl.ask("SetROIs 100 900 0 4095 2000 2100 -3 50"), QString("Ok:"));
        const int before = transfers();
        session->refresh();
        QVERIFY(transfersBeyond(before));
        const QStringList values = rig->ctrl.ask("GetValues").split(' ');
        QCOMPARE(values.size(), 1 + 4 * 4);
        quint64 total = 0;
        for (int k = 0; k < 4; ++k) {
            const MonitorModel::Element& e = session->model().elements().at(k);
            QCOMPARE(QString::number(e.roiSum), values.at(5 + k));
            total += e.roiSum;
            const ElementPanel* panel =
                window.findChild<QWidget*>("plotArea")->findChildren<ElementPanel*>().at(k);
            const QwtPlotItemList marks = panel->plot()->itemList(QwtPlotItem::Rtti_PlotMarker);
            QCOMPARE(marks.size(), 1);
            QVERIFY(
                static_cast<QwtPlotMarker*>(marks.first())->label().text().endsWith(": " + values.at(5 + k)));
            // The report's gross counts are the same bins' sum; element 0 alone has keV.
            QVERIFY(panel->findChild<QLabel*>("report")->text().contains(" gross " + values.at(5 + k)));
            QCOMPARE(panel->plot()->axisTitle(QwtPlot::xBottom).text(), k == 0 ? "energy (keV)" : "bin");
        }
        QCOMPARE(QString::number(total), values.first());

        // The sum of the elements ticked, bin by bin (the keV axis is off: element 1 has no calibration).
        SumWindow* sum = window.findChild<SumWindow*>();
        sum->list()->item(0)->setCheckState(Qt::Checked);
        sum->list()->item(1)->setCheckState(Qt::Checked);
        const auto* curve =
            static_cast<QwtPlotCurve*>(sum->panel()->plot()->itemList(QwtPlotItem::Rtti_PlotCurve).first());
        const McaTransfer::Block &b0 = shown.at(0).block, &b1 = shown.at(1).block;
        for (int i = 0; i < 4096; ++i)
            QCOMPARE(curve->sample(i).y(), qMax(0.5, double(b0.bins.at(i)) + b1.bins.at(i)));

        // The cycle: one GetMCAs per cycle, each answered by a transfer and acknowledged (else
        // the program would have dropped the link after its wait).
        QCOMPARE(asked.first(), QString("GetDataLinkCh"));
        const int mcas = asked.count("GetMCAs");
        QVERIFY2(transfers() == mcas || transfers() == mcas - 1, qPrintable(asked.join(' ')));
        QCOMPARE(linkStates.size(), 2); // connecting, connected: never dropped

        QTemporaryDir out;
        QVERIFY(window.saveTo(out.filePath("spectra")));
        QFile csv(out.filePath("spectra.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().split('\n').at(2), QByteArray("offset 4,1,1,0,0"));
        QCOMPARE(QImage(out.filePath("spectra.png")).size(), QSize(1000, 650));
    }

    void linkHeldByAnotherConsumerIsReported()
    {
        QVERIFY2(startTavik().isEmpty(), "start");
        ConsumerOptions co;
        co.port = linkPort;
        co.blocks = 4;
        auto holder = std::make_unique<DataLinkConsumer>(co);
        QSignalSpy held(holder.get(), &DataLinkConsumer::transferReceived);
        QSignalSpy linked(holder.get(), &DataLinkConsumer::linked);
        holder->start();
        QTRY_COMPARE_WITH_TIMEOUT(linked.size(), 1, waitMs);

        startMonitor();
        QSignalSpy problems(session.get(), &MonitorSession::problem);
        QTRY_VERIFY_WITH_TIMEOUT(session->linkTaken(), waitMs);
        QVERIFY(std::any_of(problems.begin(), problems.end(), [](const QList<QVariant>& p) {
            return p.at(0).toString().contains("taken by another consumer");
        }));
        QVERIFY(held.size() >= 1); // the monitor's GetMCAs went to the holder
        QCOMPARE(transfers(), 0);

        holder.reset();
        QVERIFY(transfersBeyond(0));
        QVERIFY(!session->linkTaken());
    }

    void reconnectsAfterTheProgramAndTheServerRestart()
    {
        QVERIFY2(startTavik().isEmpty(), "start");
        startMonitor();
        QVERIFY(transfersBeyond(0));

        rig->tavik.terminate();
        QVERIFY(rig->tavik.waitForFinished(waitMs));
        QTRY_COMPARE_WITH_TIMEOUT(session->nodeState(), MonitorSession::NodeAbsent, waitMs);
        QCOMPARE(session->dataLink().state(), DataLinkClient::Down);
        rig->tavik.start();
        QVERIFY(rig->ctrl.waitUntilServed(waitMs));
        QVERIFY(transfersBeyond(transfers()));
        QCOMPARE(session->nodeState(), MonitorSession::NodeAnswering);

        // The server comes back on its port: the program and the monitor log in again by themselves.
        const quint16 port = rig->server->port;
        rig->server.reset();
        QTRY_COMPARE_WITH_TIMEOUT(session->server().state(), ServerLink::Down, waitMs);
        ServerConfig config = standInConfig(rig->dir.filePath("zephra.keys"), TavikRig::challenge);
        config.port = port;
        rig->server = std::make_unique<ZephraServerThread>(config);
        QVERIFY2(rig->server->started, qPrintable(rig->server->error));
        QVERIFY(rig->ctrl.logIn(port, TavikRig::keyOfChallenge));
        QVERIFY(rig->ctrl.waitUntilServed(waitMs));
        QVERIFY(transfersBeyond(transfers()));
        QCOMPARE(session->server().state(), ServerLink::Ready);
    }

    // Two runs recorded once each; a run that ended while the monitor was away recorded on its
    // return, and not again after another restart.
    void runsRecordedOnceEach()
    {
        QVERIFY2(startTavik().isEmpty(), "start");
        QTemporaryDir runs;
        auto recorded = startRecording(runs.path(), "first run");
        // The window hands the recorder its ROI reports, calibrations and dead-time peaks.
        auto window = std::make_unique<MonitorWindow>(*session, recorder.get());
        QVERIFY(transfersBeyond(0)); // blocks of zeros: no run to record
        QCOMPARE(rig->ctrl.asks(
                     {"SetPresetType REAL", "SetPresetValue 1", "SetROIs 0 4095 0 4095 2000 2100 10 50"}),
                 QString("Ok:|Ok:|Ok:"));
        session->runStart();
        QTRY_COMPARE_WITH_TIMEOUT(recorded->size(), 1, waitMs);
        recorder->setComment("second run");
        session->runStart();
        QTRY_COMPARE_WITH_TIMEOUT(recorded->size(), 2, waitMs);
        QVERIFY(transfersBeyond(transfers() + 2)); // the same final spectra again
        QCOMPARE(recorded->size(), 2);

        // The second run's folder: N42, CSV, PNG and one SPE per element; the N42 read back.
        const QString folder = recorded->at(1).at(0).toString();
        QVERIFY2(QFileInfo(folder).fileName().startsWith("run-0002-"), qPrintable(folder));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 7);
        QByteArray bytes;
        QCOMPARE(loadBytes(QDir(folder).filePath(QFileInfo(folder).fileName() + ".n42"), &bytes), QString());
        const SpectrumRead n42 = readN42(bytes);
        QCOMPARE(n42.run.comment, QString("second run"));
        const SpectrumElement e = n42.run.elements.value(3);
        QCOMPARE(e.unit + ' ' + QString::number(e.channel), QString("dsp2 3"));
        QCOMPARE(e.counts, rig->emu->histogram(1, 3));
        const SpectrumCalibration c0 = n42.run.elements.value(0).calibration;
        QCOMPARE(QString("%1 %2 %3").arg(c0.offset).arg(c0.gain).arg(c0.quadratic), QString("1 0.5 0"));
        QCOMPARE(QString("%1 %2 %3")
                     .arg(e.calibration.offset)
                     .arg(e.calibration.gain)
                     .arg(e.calibration.quadratic),
                 QString("0 1 0"));
        const QString values = rig->ctrl.ask("GetValues");

        // Away: a run starts and ends meanwhile, and its final spectra wait at the node.
        window.reset();
        recorder.reset();
        session.reset();
        QCOMPARE(rig->ctrl.ask("GetPresetType"), QString("1")); // the earlier runs' events read before it
        rig->ctrl.takeEvents();
        QCOMPARE(rig->ctrl.ask("RunStart 7"), QString("Ok:"));
        QFile cut(runs.filePath("runs.csv")); // a line cut short, as by a crash while appending
        QVERIFY(cut.open(QIODevice::Append) && cut.write("7,1,2") == 5);
        cut.close();
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", waitMs));
        recorded = startRecording(runs.path());
        QTRY_COMPARE_WITH_TIMEOUT(recorded->size(), 1, waitMs);
        QVERIFY(QFileInfo(recorded->at(0).at(0).toString()).fileName().startsWith("run-0007-"));
        // Back once more: runs.csv knows the run whose spectra are still there.
        recorded = startRecording(runs.path());
        QVERIFY(transfersBeyond(2));
        QCOMPARE(recorded->size(), 0);

        const QList<QHash<QString, QString>> log = runLog(runs.path());
        QCOMPARE(log.size(), 3);
        for (int r = 0; r < 3; ++r) {
            const QHash<QString, QString>& line = log.at(r);
            QCOMPARE(line.value("measurement") + ' ' + line.value("run counter"),
                     QString("%1 %2").arg(r < 2 ? r + 1 : 7).arg(r + 1));
            QCOMPARE(line.value("comment"), QStringList({"first run", "second run", ""}).at(r));
            QCOMPARE(line.value("preset type") + ' ' + line.value("preset value"), QString("REAL 1"));
            // No HV unit: no HV state or voltage.
            QCOMPARE(line.value("hv state") + line.value("hv voltage V"), QString());
            // Seen running: the start is known, the end a real time later; else neither.
            const QDateTime start = QDateTime::fromString(line.value("start"), Qt::ISODateWithMs);
            QCOMPARE(start.msecsTo(QDateTime::fromString(line.value("end"), Qt::ISODateWithMs)),
                     r < 2 ? qint64(line.value("e0 real s").toDouble() * 1000) : 0);
        }
        QVERIFY(log.at(0).value("e0 counts") != log.at(1).value("e0 counts"));
        QCOMPARE(log.at(1).value("e3 roi0 sum"), values.section(' ', 8, 8));
        // The ROI report as the window read it; keV where the element is calibrated.
        const QHash<QString, QString>& second = log.at(1);
        QVERIFY(second.value("e0 roi0 net").toDouble() <= second.value("e0 roi0 sum").toDouble());
        QVERIFY(second.value("e0 roi0 net err").toDouble() > 0);
        const double centroid = second.value("e0 roi0 centroid").toDouble();
        QVERIFY(centroid > 0 && centroid < 4095);
        QCOMPARE(second.value("e0 roi0 fwhm keV").toDouble(), 0.5 * second.value("e0 roi0 fwhm").toDouble());
        QCOMPARE(second.value("e0 roi0 centroid keV").toDouble(), 1 + 0.5 * centroid);
        QCOMPARE(second.value("e3 roi0 centroid keV"), QString());
        QVERIFY(!second.value("e0 dead peak %").isEmpty());
        QCOMPARE(log.at(2).value("e0 roi0 net"), QString()); // recorded without a window
    }
};

QTEST_MAIN(TestMonitorSession)
#include "tst_monitorsession.moc"
