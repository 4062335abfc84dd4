#include "sim/units/HvSupply.h"
#include "sim/units/MeasurementModel.h"

#include <QtTest>

#include <cmath>
#include <numeric>

// The measurement and HV models on a clock the test turns by hand (ns), without sockets.
class TestMeasurementModel : public QObject
{
    Q_OBJECT

    static constexpr qint64 ms = 1000000; // ns
    static constexpr quint64 ticksPerMs = 100000;
    static constexpr double rate = 20000;

    static MeasurementModel model(quint64 seed = 1)
    {
        return MeasurementModel({rate, rate, rate, rate}, seed);
    }
    static quint64 total(const QVector<quint32>& bins)
    {
        return std::accumulate(bins.begin(), bins.end(), quint64(0));
    }

private slots:
    void presetStopsTheRealTimeExactly()
    {
        MeasurementModel m = model();
        m.setPreset(300 * ticksPerMs, 0);
        m.start(5 * ms);
        QCOMPARE(m.realTicks(105 * ms), 100 * ticksPerMs);
        QVERIFY(m.counting(105 * ms));
        QCOMPARE(m.realTicks(305 * ms - 10), 300 * ticksPerMs - 1);
        QCOMPARE(m.realTicks(900 * ms), 300 * ticksPerMs);
        QVERIFY(!m.counting(900 * ms));
        for (int c = 0; c < MeasurementModel::channels; ++c) {
            QCOMPARE(m.liveTicks(c, 900 * ms) + m.deadTicks(c, 900 * ms), 300 * ticksPerMs);
            QVERIFY(m.deadTicks(c, 900 * ms) > 0);
        }
        // A later start does not run past the preset; a longer preset lets it go on.
        m.start(1000 * ms);
        QCOMPARE(m.realTicks(1500 * ms), 300 * ticksPerMs);
        m.setPreset(400 * ticksPerMs, 1500 * ms);
        m.start(1600 * ms);
        QCOMPARE(m.realTicks(1650 * ms), 350 * ticksPerMs);
    }

    void stopResumeAndClear()
    {
        MeasurementModel m = model();
        m.start(0);
        m.stop(100 * ms);
        QCOMPARE(m.realTicks(400 * ms), 100 * ticksPerMs);
        QCOMPARE(m.inputCount(0, 400 * ms), quint64(rate * 0.1));
        m.start(500 * ms);
        QCOMPARE(m.realTicks(550 * ms), 150 * ticksPerMs);
        // A longer dead time per event counts from the change on, not backwards.
        const quint64 deadBefore = m.deadTicks(0, 550 * ms);
        QVERIFY(deadBefore > 0 && deadBefore < 15 * ticksPerMs);
        m.setDeadTimePerEvent(0, 500e-6, 550 * ms);
        QCOMPARE(m.deadTicks(0, 550 * ms), deadBefore);
        QVERIFY(m.deadTicks(0, 650 * ms) - deadBefore > 80 * ticksPerMs);
        QCOMPARE(m.liveTicks(0, 650 * ms) + m.deadTicks(0, 650 * ms), m.realTicks(650 * ms));
        // Clear while running: everything from zero, and it goes on counting.
        m.histogram(0, 650 * ms);
        m.clear(700 * ms);
        QCOMPARE(m.realTicks(700 * ms) + m.deadTicks(0, 700 * ms) + total(m.histogram(0, 700 * ms)),
                 quint64(0));
        QCOMPARE(m.realTicks(720 * ms), 20 * ticksPerMs);
    }

    void histogramCountsFollowTheLiveTime()
    {
        MeasurementModel m = model(7);
        m.start(0);
        // Many small lazy updates and one large one must both give rate x live on average.
        for (qint64 t = 10 * ms; t <= 1000 * ms; t += 10 * ms)
            m.histogram(0, t);
        const double live0 = m.liveTicks(0, 1000 * ms) * 1e-8, live1 = m.liveTicks(1, 3000 * ms) * 1e-8;
        const quint64 n0 = total(m.histogram(0, 1000 * ms)), n1 = total(m.histogram(1, 3000 * ms));
        QVERIFY(live0 < 1.0 && live0 > 0.8);
        for (const auto& [n, expected] : {std::pair{n0, rate * live0}, std::pair{n1, rate * live1}})
            QVERIFY2(std::abs(double(n) - expected) < 5 * std::sqrt(expected),
                     qPrintable(QStringLiteral("%1 vs %2").arg(n).arg(expected)));
    }

    void histogramShapeAndSeeds()
    {
        MeasurementModel m = model(), same = model(), other = model(4);
        for (MeasurementModel* each : {&m, &same, &other})
            each->start(0);
        const QVector<quint32> ch0 = m.histogram(0, 5000 * ms), ch3 = m.histogram(3, 5000 * ms);
        const auto peakNear = [](const QVector<quint32>& bins) {
            return int(std::max_element(bins.begin() + 600, bins.begin() + 800) - bins.begin());
        };
        const int p0 = peakNear(ch0), p3 = peakNear(ch3);
        QVERIFY2(std::abs(p0 - 662) <= 4 && p3 - p0 > 50,
                 qPrintable(QStringLiteral("%1 %2").arg(p0).arg(p3)));
        // The peak stands well above the background next to it; nothing below the threshold.
        QVERIFY(ch0[p0] > 5 * ch0[p0 + 60] && ch0[100] > ch0[1000]);
        QCOMPARE(ch0[3], 0u);
        QCOMPARE(same.histogram(0, 5000 * ms), ch0);
        QVERIFY(other.histogram(0, 5000 * ms) != ch0);
        // Set bins stay as they are, padded to 4096, until a clear.
        m.setHistogram(1, QVector<quint32>(10, 5));
        QCOMPARE(m.histogram(1, 6000 * ms), QVector<quint32>(10, 5) + QVector<quint32>(4086, 0));
        m.clear(6000 * ms);
        QVERIFY(total(m.histogram(1, 6300 * ms)) > 0);
    }

    void hvRampsAtOneSpeedBothWays()
    {
        // The emulator test sweeps the HV unit up and down; here: off in the middle of a ramp
        // up, and the negative polarity.
        HvSupply halfway(150, 1000, true), negative(150, 0, false);
        halfway.switchOn(true, 0);
        halfway.switchOn(false, 300 * ms);
        QCOMPARE(halfway.volts(400 * ms), 30.0);
        QCOMPARE(halfway.statusWord(400 * ms, false), quint16(0x22));
        QCOMPARE(halfway.volts(600 * ms), 0.0);
        QCOMPARE(halfway.statusWord(600 * ms, true), quint16(0xE0));
        negative.switchOn(true, 0);
        QCOMPARE(negative.statusWord(0, false), quint16(0x14));
        QCOMPARE(negative.voltageWord(0), quint16(8192)); // 32767 - 24575.25, rounded
    }
};

QTEST_GUILESS_MAIN(TestMeasurementModel)
#include "tst_measurementmodel.moc"
