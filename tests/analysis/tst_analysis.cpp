#include "analysis/CalibrationFile.h"
#include "analysis/CalibrationFit.h"
#include "analysis/DeadTimeAlarm.h"
#include "analysis/ReportLine.h"
#include "analysis/RoiReport.h"
#include "analysis/SumSpectrum.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <random>
#include <sys/stat.h>

using namespace Analysis;
using Status = RoiReport::Status;
Q_DECLARE_METATYPE(Status)
Q_DECLARE_METATYPE(Calibration)

// The analysis against synthetic spectra whose answers are known: Gaussian peaks of given
// area, centre and width on sloping backgrounds, bin by bin and with seeded Poisson noise.
class TestAnalysis : public QObject
{
    Q_OBJECT

    // Expected counts: the Gaussian integrated over each bin, the background at its centre.
    static Spectrum peak(double area, double centre, double sigma, double level, double slope)
    {
        Spectrum s(4096);
        auto below = [&](double x) { return 0.5 * std::erfc((centre - x) / (sigma * M_SQRT2)); };
        for (int i = 0; i < s.size(); ++i)
            s[i] = area * (below(i + 0.5) - below(i - 0.5)) + level + slope * i;
        return s;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A decimal comma must reach neither the lines nor the calibration files.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void peakOnBackground_data()
    {
        for (const char* column : {"area", "centre", "sigma", "level", "slope"})
            QTest::addColumn<double>(column);
        // Enough counts that the counting scatter stays well inside the bounds in every spectrum.
        QTest::newRow("narrow, rising background") << 1e6 << 1000.3 << 3.0 << 50.0 << 0.05;
        QTest::newRow("wide, falling background") << 1e6 << 2500.7 << 8.0 << 400.0 << -0.1;
        QTest::newRow("on a bin centre, flat") << 3e5 << 700.0 << 4.0 << 20.0 << 0.0;
        QTest::newRow("steep background, top channels") << 5e5 << 3900.5 << 5.0 << 10.0 << 0.3;
    }
    void peakOnBackground()
    {
        QFETCH(double, area);
        QFETCH(double, centre);
        QFETCH(double, sigma);
        QFETCH(double, level);
        QFETCH(double, slope);
        const Spectrum mean = peak(area, centre, sigma, level, slope);
        const int start = qRound(centre - 6 * sigma), end = qRound(centre + 6 * sigma), trials = 300;
        std::mt19937 random(20240611);
        double sum = 0, squares = 0, stated = 0;
        // The noise-free spectrum first, then seeded Poisson spectra around it.
        for (int t = -1; t < trials; ++t) {
            Spectrum counts = mean;
            for (double& c : counts)
                c = t < 0 ? c : std::poisson_distribution<int>(c)(random);
            const RoiReport r = analyzeRoi(counts, start, end);
            QCOMPARE(r.status, Status::Complete);
            QVERIFY2(qAbs(*r.centroid - centre) < (t < 0 ? 0.01 : 0.1),
                     qPrintable(QString::number(*r.centroid)));
            QVERIFY2(qAbs(*r.fwhm / (2.35482 * sigma) - 1) < 0.03, qPrintable(QString::number(*r.fwhm)));
            if (t < 0) QVERIFY(qAbs(*r.net - area) < 0.01 * *r.netError);
            if (t < 0) continue;
            sum += *r.net - area;
            squares += (*r.net - area) * (*r.net - area);
            stated += *r.netError / trials;
        }
        // Unbiased, and scattered as much as the uncertainty each spectrum states.
        const double bias = sum / trials, spread = std::sqrt(squares / trials - bias * bias);
        QVERIFY2(qAbs(bias) < 3 * stated / std::sqrt(trials), qPrintable(QString::number(bias)));
        QVERIFY2(spread > 0.85 * stated && spread < 1.2 * stated,
                 qPrintable(QString::number(spread / stated)));
    }

    void reportLines_data()
    {
        QTest::addColumn<Spectrum>("counts");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("calibrated");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("line"); // after "element=3 roi=START-END "
        Spectrum flat(100, 100.0), onSlope(120), small = flat, negative = flat, nan = flat, huge = flat;
        for (int i = 0; i < onSlope.size(); ++i)
            onSlope[i] =
                2 * i + (i >= 103 && i <= 107 ? QVector<int>{100, 400, 1000, 400, 100}.at(i - 103) : 0);
        small[40] += 50;
        negative[30] = -1;
        nan[30] = qQNaN();
        huge[30] = 1e16;
        const QString none = "gross=n/a net=n/a net_err=n/a centroid=n/a fwhm=n/a",
                      noKev = " centroid_kev=n/a fwhm_kev=n/a";
        QTest::newRow("peak on a slope") << onSlope << 100 << 110 << true << Status::Complete
                                         << "gross=4310 net=2000.0 net_err=92.4 centroid=105.00 fwhm=1.67 "
                                            "centroid_kev=111.250 fwhm_kev=6.833";
        QTest::newRow("peak within its noise")
            << small << 20 << 60 << true << Status::NoPeak
            << "gross=4150 net=50.0 net_err=179.4 centroid=n/a fwhm=n/a" + noKev;
        QTest::newRow("no counts") << Spectrum(100) << 20 << 60 << false << Status::NoPeak
                                   << "gross=0 net=0.0 net_err=0.0 centroid=n/a fwhm=n/a";
        QTest::newRow("seven channels") << flat << 10 << 16 << false << Status::NoPeak
                                        << "gross=700 net=0.0 net_err=38.9 centroid=n/a fwhm=n/a";
        QTest::newRow("six channels") << flat << 10 << 15 << true << Status::TooNarrow
                                      << "gross=600 net=n/a net_err=n/a centroid=n/a fwhm=n/a" + noKev;
        QTest::newRow("start after end") << flat << 50 << 40 << true << Status::Reversed << none + noKev;
        QTest::newRow("start below 0") << flat << -1 << 10 << false << Status::OutsideSpectrum << none;
        QTest::newRow("end past the last bin")
            << flat << 90 << 100 << false << Status::OutsideSpectrum << none;
        QTest::newRow("negative count") << negative << 20 << 60 << false << Status::InvalidCounts << none;
        QTest::newRow("count not a number") << nan << 20 << 60 << false << Status::InvalidCounts << none;
        QTest::newRow("count beyond any unit") << huge << 20 << 60 << false << Status::InvalidCounts << none;
    }
    void reportLines()
    {
        QFETCH(Spectrum, counts);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(bool, calibrated);
        QFETCH(QString, line);
        const RoiReport r = analyzeRoi(counts, start, end);
        QTEST(r.status, "status");
        const std::optional<Calibration> cal =
            calibrated ? Calibration{-209, 2, 0.01} : std::optional<Calibration>();
        QCOMPARE(reportLine(3, r, cal), QString("element=3 roi=%1-%2 %3").arg(start).arg(end).arg(line));
    }

    void fit_data()
    {
        QTest::addColumn<QString>("points"); // channel:keV ...
        QTest::addColumn<bool>("parabola");
        QTest::addColumn<Calibration>("fitted");
        QTest::addColumn<QString>("refusal"); // the error's start; empty: fitted
        const Calibration refused{7, 7, 0}, line{50, 0.1, 0}, parabola{1, 2, 1e-3}, bent{0, 1, -1e-4};
        // Residuals orthogonal to the fitted terms leave the least-squares answer on the known one.
        QTest::newRow("least-squares line") << "1000:170 2000:230 3000:330 4000:470" << false << line << "";
        QTest::newRow("least-squares parabola")
            << "500:1249 1500:5257 2500:11245 3500:19253" << true << parabola << "";
        QTest::newRow("parabola bending down") << "1000:900 2000:1600 3000:2100" << true << bent << "";
        QTest::newRow("two channels for a parabola")
            << "100:55 100:60 1100:555" << true << refused << "A parabola needs marked peaks at 3";
        QTest::newRow("falling energy")
            << "100:555 1100:55" << false << refused << "The fitted energy does not rise";
    }
    void fit()
    {
        QFETCH(QString, points);
        QFETCH(bool, parabola);
        QFETCH(Calibration, fitted);
        QVector<CalibrationPoint> marked;
        for (const QString& p : points.split(' '))
            marked << CalibrationPoint{p.section(':', 0, 0).toDouble(), p.section(':', 1).toDouble()};
        QFETCH(QString, refusal);
        Calibration cal{7, 7, 0};
        QString error;
        const CalibrationShape shape = parabola ? CalibrationShape::Parabola : CalibrationShape::Line;
        QCOMPARE(fitCalibration(marked, shape, 4096, &cal, &error), refusal.isEmpty());
        QCOMPARE(error.left(refusal.size()), refusal);
        // Back from keV to the channel: the root within the spectrum, none beyond it.
        for (int ch = 0; ch < 4096; ch += 455)
            QVERIFY(qAbs(cal.kev(ch) - fitted.kev(ch)) < 1e-8 &&
                    qAbs(*cal.channel(cal.kev(ch), 4096) - ch) < 1e-6);
        QVERIFY(!cal.channel(cal.kev(-0.6), 4096) && !cal.channel(cal.kev(4095.6), 4096));
        QVERIFY(!(Calibration{0, 1, -2e-4}.channel(100, 4096))); // falls before the last bin: no inverse
    }

    void calibrationFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("read"); // element:offset:gain:quad ..., or the error's start
        QTest::newRow("with and without quadratic term")
            << QByteArray("# element offset gain quad\n0 -1.25 0.3312\n\n  3\t0.8 0.329 1.2e-7 # lab B\r\n")
            << "0:-1.25:0.3312:0 3:0.8:0.329:1.2e-07";
        QTest::newRow("comments only") << QByteArray("# nothing yet\n\n") << "";
        QTest::newRow("gain missing") << QByteArray("0 1.0 0.3\n1 1.0\n") << "line 2: ";
        QTest::newRow("decimal comma") << QByteArray("0 1.0 0.3\n#\n1 0,5 0.3\n") << "line 3: offset \"0,5\"";
        QTest::newRow("group separator") << QByteArray("1 1,000.5 0.3") << "line 1: offset";
        QTest::newRow("item too many") << QByteArray("0 1 0.3 0 7") << "line 1: ";
        QTest::newRow("element beyond 255") << QByteArray("256 0 1") << "line 1: element";
        QTest::newRow("element negative") << QByteArray("-1 0 1") << "line 1: element";
        QTest::newRow("element twice")
            << QByteArray("0 0 1\n1 0 1\n0 0 2\n") << "line 3: element 0 again, first on line 1";
        QTest::newRow("gain not a number") << QByteArray("0 1 x") << "line 1: gain \"x\"";
        QTest::newRow("offset infinite") << QByteArray("0 inf 1") << "line 1: offset";
        QTest::newRow("energy falls at the top")
            << QByteArray("0 0 1 -1e-3") << "line 1: the energy does not rise";
        QTest::newRow("energy falls at first")
            << QByteArray("0 0 -1 1e-3") << "line 1: the energy does not rise";
    }
    void calibrationFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, read);
        const CalibrationTable before{{7, Calibration{1, 1, 0}}};
        CalibrationTable table = before;
        QString error;
        const bool ok = CalibrationFile::parse(text, 4096, &table, &error);
        QStringList got;
        for (auto c = table.cbegin(); c != table.cend(); ++c)
            got << QString("%1:%2:%3:%4").arg(c.key()).arg(c->offset).arg(c->gain).arg(c->quad);
        QCOMPARE(ok ? got.join(' ') : error.left(read.size()), read);
        if (!ok) QCOMPARE(table, before); // all or nothing
    }

    void calibrationFileOnDisk()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("cal.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("2 0.5 0.25\n3 0.5\n") > 0 && file.flush());
        CalibrationTable table;
        QString error;
        QVERIFY(!CalibrationFile::read(file.fileName(), 4096, &table, &error));
        QVERIFY2(error.startsWith(file.fileName() + ": line 2: "), qPrintable(error));
        QVERIFY(file.resize(0) && file.write(QByteArray(CalibrationFile::maxBytes + 1, '#')) && file.flush());
        QVERIFY(!CalibrationFile::read(file.fileName(), 4096, &table, &error) && error.contains("larger"));
        // A pipe would block the reader: refused unopened.
        QVERIFY(::mkfifo(qPrintable(dir.filePath("pipe")), 0600) == 0);
        QVERIFY(!CalibrationFile::read(dir.filePath("pipe"), 4096, &table, &error) && table.isEmpty());
    }

    void deadTimeAlarm_data()
    {
        QTest::addColumn<double>("threshold"); // 0: the default
        QTest::addColumn<QString>("samples");  // busy:real:live ..., "!" where the alarm is raised
        QTest::addColumn<double>("peak");
        QTest::newRow("below the default 10%") << 0.0 << "1:1:0.95 1:2:1.85 0:2:1.85" << 0.075;
        QTest::newRow("exactly at 10%") << 0.0 << "1:10:9" << 0.1;
        QTest::newRow("raised once per run") << 0.0 << "1:1:0.85! 1:2:1.6 1:3:2.7 0:3:2.7" << 0.2;
        QTest::newRow("a new run starts afresh") << 0.0 << "1:1:0.8! 0:1:0.8 1:1:0.95 1:2:1.7!" << 0.15;
        QTest::newRow("idle before the first run") << 0.0 << "0:1:0.5! 0:1:0.5 1:1:0.99" << 0.01;
        QTest::newRow("no real time") << 0.0 << "1:0:0 1:0:-5" << 0.0;
        QTest::newRow("configured 30%") << 0.3 << "1:1:0.8 1:1:0.6!" << 0.4;
    }
    void deadTimeAlarm()
    {
        QFETCH(double, threshold);
        QFETCH(QString, samples);
        DeadTimeAlarm alarm = threshold > 0 ? DeadTimeAlarm(threshold) : DeadTimeAlarm();
        for (QString s : samples.split(' ')) {
            const bool raise = s.endsWith('!');
            s.remove('!');
            QCOMPARE(alarm.feed(s[0] == '1', s.section(':', 1, 1).toDouble(), s.section(':', 2).toDouble()),
                     raise);
        }
        QFETCH(double, peak);
        QVERIFY2(qAbs(alarm.peak() - peak) < 1e-12, qPrintable(QString::number(alarm.peak())));
    }

    void sumSpectra()
    {
        QCOMPARE(sumChannels({{10, 20}, {1, 2, 3}, {}}), (Spectrum{11, 22, 3}));

        // One line seen by two elements with different calibrations adds up to one peak in keV.
        const double line = 661.7, areas[2] = {4e4, 6e4};
        const QVector<Calibration> cals{{0.5, 0.25, 0}, {-3, 0.3, 2e-5}};
        const QVector<Spectrum> spectra{peak(areas[0], *cals[0].channel(line, 4096), 4, 5, 0.01),
                                        peak(areas[1], *cals[1].channel(line, 4096), 4, 5, 0.01)};
        const std::optional<EnergyAxis> axis = commonAxis(spectra, cals);
        QVERIFY(axis && axis->binCount == 4096 && axis->lowEdge == cals[1].kev(-0.5));
        QCOMPARE(axis->lowEdge + axis->binWidth * 4096, cals[1].kev(4095.5));
        Spectrum sum;
        double outside = -1;
        QVERIFY(sumOnAxis(spectra, cals, *axis, &sum, &outside) &&
                qAbs(outside) < 1e-9); // rounding at the top
        auto total = [](const Spectrum& s) { return std::accumulate(s.cbegin(), s.cend(), 0.0); };
        QVERIFY(qAbs(total(sum) / (total(spectra[0]) + total(spectra[1])) - 1) < 1e-12);
        const Calibration kev = axis->calibration();
        const RoiReport r =
            analyzeRoi(sum, qRound(*kev.channel(line - 10, 4096)), qRound(*kev.channel(line + 10, 4096)));
        QCOMPARE(r.status, Status::Complete);
        QVERIFY2(qAbs(kev.kev(*r.centroid) - line) < 0.1 * axis->binWidth,
                 qPrintable(QString::number(*r.centroid)));
        QVERIFY(qAbs(*r.net - areas[0] - areas[1]) < *r.netError);

        // What falls outside a narrower axis is said; 1 keV bins split evenly into 0.5 keV ones.
        QVERIFY(sumOnAxis({Spectrum(4096, 1.0)}, {Calibration{}}, EnergyAxis{600, 0.5, 200}, &sum, &outside));
        QCOMPARE(sum, Spectrum(200, 0.5));
        QCOMPARE(outside, 3996.0);
        QVERIFY(!sumOnAxis(spectra, {cals[0]}, *axis, &sum));
        QVERIFY(!commonAxis(spectra, {cals[0], Calibration{0, -1, 0}}) &&
                !commonAxis({Spectrum()}, {Calibration{}}));
    }
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
