#include "analysis/ReportLine.h"
#include "consumer/McaCsv.h"
#include "consumer/N42Writer.h"
#include "consumer/SpeWriter.h"
#include "monitor/AnalyzeCommand.h"
#include "process/ChildProcess.h"

#include <QProcess>
#include <QtTest>

#include <cmath>

// The command-line analysis of files the consumer's writers made from spectra with known
// peaks: every format, each line the analysis of the spectrum as written with the ROI and
// calibration it must come from, the errors.
class TestAnalyzeCommand : public QObject
{
    Q_OBJECT

    struct Peak
    {
        double area, centre, sigma;
    };
    const Peak peaks[2] = {{1e5, 1000.3, 3}, {2e5, 2500.7, 5}};
    const Analysis::Calibration own{2, 0.5, 1e-6}, given{10, 0.25, 0};
    QVector<quint32> spectra[2];

    // A Gaussian integrated over each bin, rounded, on a flat background of whole counts: the
    // line through the ends of a whole-spectrum ROI is then exact.
    static QVector<quint32> counts(const Peak& p, quint32 level)
    {
        QVector<quint32> c(4096);
        auto below = [&](double x) { return 0.5 * std::erfc((p.centre - x) / (p.sigma * M_SQRT2)); };
        for (int i = 0; i < c.size(); ++i)
            c[i] = level + quint32(qRound(p.area * (below(i + 0.5) - below(i - 0.5))));
        return c;
    }
    int analyze(const QStringList& args, QString* out, QString* err)
    {
        QTextStream o(out), e(err);
        return AnalyzeCommand::run(QStringList("tavik-monitor") + args, o, e);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // no decimal comma out
        SpectrumRun run;
        run.elements.resize(2);
        QVector<McaTransfer::Block> blocks(2);
        for (int k = 0; k < 2; ++k) {
            run.elements[k].element = k;
            run.elements[k].counts = blocks[k].bins = spectra[k] = counts(peaks[k], 10 * (k + 1));
            blocks[k].binCount = 4096;
        }
        run.elements[0].rois = {{980, 1020, 0}};
        run.elements[0].calibration = {own.offset, own.gain, own.quad};
        const QByteArray n42 = n42Document(run), spe = speDocument(run, 0);
        const QMap<QString, QByteArray> contents{
            {"run.n42", n42},
            {"n42.spe", n42},
            {"e0.spe", spe},
            {"e1.spe", speDocument(run, 1)},
            {"run.csv", mcaCsv(blocks)},
            {"cal.txt", "# element offset gain\n0 10 0.25\n"},
            {"bad.cal", "0 10 0.25\n1 2 0,5\n"},
            {"junk.n42", "\xEF\xBB\xBF  hello\n"},
            {"bad.spe", QByteArray(spe).replace("0 4095\n", "0 4095\nzero\n")},
        };
        for (auto c = contents.cbegin(); c != contents.cend(); ++c) {
            QFile f(dir.filePath(c.key()));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(c.value()) == c.value().size());
            files.insert(c.key(), f.fileName());
        }
    }

    void analyze_data()
    {
        QTest::addColumn<QString>("args"); // file names stand for their paths
        QTest::addColumn<int>("status");
        // Per line "ELEMENT START-END CALIBRATION" (own, given or none); or a part of the error.
        QTest::addColumn<QString>("expected");
        QTest::newRow("n42: its ROI and calibration, else the whole spectrum and none")
            << "--analyze run.n42" << 0 << "0 980-1020 own;1 0-4095 none";
        QTest::newRow("n42 by its content, ROIs given, a calibration over its own")
            << "--analyze n42.spe --roi 980 1020 --roi 2460 2540 --calibration cal.txt" << 0
            << "0 980-1020 given;0 2460-2540 given;1 980-1020 none;1 2460-2540 none";
        QTest::newRow("spe: its element") << "-platform offscreen --analyze e1.spe" << 0 << "1 0-4095 none";
        QTest::newRow("spe: its ROI and calibration") << "--analyze e0.spe" << 0 << "0 980-1020 own";
        QTest::newRow("csv: no ROIs, no calibration")
            << "--analyze run.csv --calibration cal.txt" << 0 << "0 0-4095 given;1 0-4095 none";
        QTest::newRow("no such file") << "--analyze gone.n42" << 2 << "gone.n42 is no regular file";
        QTest::newRow("no spectrum file") << "--analyze junk.n42" << 2 << "neither an N42, an SPE nor";
        QTest::newRow("a wrong count") << "--analyze bad.spe" << 2 << "bad.spe: line ";
        QTest::newRow("a wrong calibration line")
            << "--analyze run.n42 --calibration bad.cal" << 2 << "bad.cal: line 2: gain \"0,5\"";
        QTest::newRow("one ROI channel") << "--analyze run.n42 --roi 5" << 2 << "--roi takes two channels";
        QTest::newRow("ROI reversed") << "--analyze run.n42 --roi 9 8" << 2 << "--roi takes two channels";
        QTest::newRow("ROI below 0") << "--analyze run.n42 --roi -1 8" << 2 << "--roi takes two channels";
        QTest::newRow("two files") << "--analyze run.n42 --analyze e0.spe" << 2 << "--analyze takes one file";
        QTest::newRow("no file") << "--roi 1 8 --analyze" << 2 << "--analyze takes one file";
        QTest::newRow("other options") << "--analyze run.n42 --log" << 2 << "unexpected argument \"--log\"";
    }
    void analyze()
    {
        QFETCH(QString, args);
        QFETCH(int, status);
        QFETCH(QString, expected);
        QStringList list = args.split(' ');
        for (QString& a : list)
            a = files.value(a, a);
        QString out, err;
        QCOMPARE(analyze(list, &out, &err), status);
        if (status != 0) {
            QCOMPARE(out, QString());
            QVERIFY2(err.startsWith("tavik-monitor: ") && err.contains(expected), qPrintable(err));
            return;
        }
        QCOMPARE(err, QString());
        const QStringList lines = out.split('\n'), want = expected.split(';');
        QCOMPARE(lines.size(), want.size() + 1);
        for (int k = 0; k < want.size(); ++k)
            checkLine(lines.at(k), want.at(k).split(' '));
    }

    // The program itself: no display, the same lines, and its exit status on an error.
    void program()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        const QString exe = builtProgram("../monitor/tavik-monitor", "TAVIK_MONITOR_EXE");
        const QStringList args{"--analyze", files.value("run.n42"), "--roi", "990", "1010"};
        QString out, err;
        QCOMPARE(analyze(args, &out, &err), 0);
        p.start(exe, args + QStringList{"-platform", "offscreen"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
        p.start(exe, {"--analyze", files.value("bad.spe")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
    }

private:
    // The line the analysis gives for the spectrum as written, with the ROI and calibration wanted.
    void checkLine(const QString& line, const QStringList& want)
    {
        const int element = want.at(0).toInt();
        const Analysis::RoiReport r =
            Analysis::analyzeRoi(Analysis::countsOf(spectra[element]), want.at(1).section('-', 0, 0).toInt(),
                                 want.at(1).section('-', 1).toInt());
        std::optional<Analysis::Calibration> cal;
        if (want.at(2) != "none") cal = want.at(2) == "own" ? own : given;
        QCOMPARE(line, Analysis::reportLine(element, r, cal));
    }

    QTemporaryDir dir;
    QMap<QString, QString> files;
};

QTEST_MAIN(TestAnalyzeCommand)
#include "tst_analyzecommand.moc"
