#include "monitor/PeakCalibration.h"

#include <QtTest>

// The table of marked peaks as typed, to a calibration or the reason it is refused.
class TestPeakCalibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fit_data()
    {
        QTest::addColumn<QStringList>("rows"); // "channel|keV" each
        QTest::addColumn<bool>("parabola");
        QTest::addColumn<QString>("expected"); // peaks: offset gain quad, or the message
        const QString few = "Peaks marked: %1; a line needs 2 or more, a parabola 3 or more";
        const QStringList three{"100|50", "200|100", "300|160"};
        QTest::newRow("least-squares line") << three << false << "3: -6.666666667 0.55 0";
        QTest::newRow("parabola through three") << three << true << "3: 10 0.35 0.0005";
        QTest::newRow("blank rows skipped, blanks trimmed")
            << QStringList{"|", " 1000 |500", "  | ", "2000|1000 "} << false << "2: 0 0.5 0";
        QTest::newRow("one peak") << QStringList{"1000|500", "|"} << false << few.arg(1);
        QTest::newRow("parabola from two") << QStringList{"1000|500", "2000|1000"} << true << few.arg(2);
        QTest::newRow("equal channels") << QStringList{"1000|500", "1000|600"} << false
                                        << "A line needs marked peaks at 2 or more different channels";
        const QString channel = "Row 2: the channel \"%1\" is not a number from 0 to 4095";
        QTest::newRow("channel no number") << QStringList{"1|1", "12a|5"} << false << channel.arg("12a");
        QTest::newRow("channel beyond") << QStringList{"1|1", "4096|5"} << false << channel.arg("4096");
        QTest::newRow("channel negative") << QStringList{"1|1", "-1|5"} << false << channel.arg("-1");
        const QString energy = "Row 1: the energy \"%1\" is not a number of keV";
        QTest::newRow("energy missing") << QStringList{"1000|", "2000|1"} << false << energy.arg("");
        QTest::newRow("energy infinite") << QStringList{"1000|inf", "2000|1"} << false << energy.arg("inf");
    }
    void fit()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, parabola);
        QVector<PeakCalibration::Row> table;
        for (const QString& row : rows)
            table << PeakCalibration::Row{row.section('|', 0, 0), row.section('|', 1)};
        const PeakCalibration::Result r = PeakCalibration::fit(table, parabola, 4096);
        const auto rounded = [](double v) { return QString::number(qRound64(v * 1e9) / 1e9, 'g', 10); };
        QString got = r.message;
        if (r.calibration)
            got = QString("%1: %2 %3 %4")
                      .arg(r.peaks)
                      .arg(rounded(r.calibration->offset), rounded(r.calibration->gain),
                           rounded(r.calibration->quad));
        QTEST(got, "expected");
    }
};

QTEST_MAIN(TestPeakCalibration)
#include "tst_peakcalibration.moc"
