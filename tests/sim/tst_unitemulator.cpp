#include "process/ChildProcess.h"
#include "sim/units/HvSupply.h"
#include "sim/units/MeasurementModel.h"
#include "sim/units/UnitAddresses.h"
#include "sim/units/UnitEmulatorThread.h"
#include "tests/support/RegisterClient.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <numeric>

namespace A = UnitAddresses;

// The emulated units: the measurement and HV models on a clock the test turns by hand (ns),
// and the units seen from outside, bare sockets against an emulator on its own thread or in
// its own program: what the program's tests do not reach (the register wire format in full,
// the measurement registers, the HV unit, the fault switches' exact effect and the emulator
// program's console).
class TestUnitEmulator : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 3000;
    static constexpr int hvUnit = 2;
    std::unique_ptr<UnitEmulatorThread> emu;

    RegisterClient client(int unit) const { return RegisterClient(emu->unitAddress(unit), emu->udpPort()); }
    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    // Until the register reads as the value, polled as the program's watch does.
    QVector<quint64> polled;
    bool readsUntil(RegisterClient& c, quint32 address, quint64 value)
    {
        polled.clear();
        return QTest::qWaitFor([&]() { return (polled << c.read(address, 2)).last() == value; }, waitMs);
    }

    // Writes a command line when given one; the next line the emulator program prints.
    static QString console(QProcess& p, const QByteArray& line = QByteArray())
    {
        p.write(line.isEmpty() ? line : line + '\n');
        (void)QTest::qWaitFor([&]() { return p.canReadLine(); }, waitMs);
        return QString::fromUtf8(p.readLine()).trimmed();
    }

    static constexpr qint64 ms = 1000000; // ns
    static constexpr quint64 ticksPerMs = 100000;
    static constexpr double rate = 20000;

    static MeasurementModel model(quint64 s = 1) { return MeasurementModel({rate, rate, rate, rate}, s); }
    static quint64 total(const QVector<quint32>& b)
    {
        return std::accumulate(b.begin(), b.end(), quint64(0));
    }

private Q_SLOTS:
    void init()
    {
        EmulatorConfig config;
        config.firstAddress = QHostAddress("127.0.21.2");
        config.dspUnits = 2;
        config.hvUnit = true;
        config.hvRampMs = 400;
        emu = std::make_unique<UnitEmulatorThread>(config);
        QString error;
        QVERIFY2(emu->start(&error), qPrintable(error));
    }

    void cleanup() { emu.reset(); }

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

    void registersOnTheWire()
    {
        RegisterClient c = client(0);
        // The head comes back with the reply flag, then the bytes stored; six bytes fill three
        // registers, most significant word first.
        QCOMPARE(c.exchange(hex("ff805a02b40000101234")), hex("ff885a02b40000101234"));
        QCOMPARE(c.exchange(hex("ff800706b400009e111122223333")), hex("ff880706b400009e111122223333"));
        QCOMPARE(c.exchange(hex("ffc00604b40000a0")), hex("ffc80604b40000a022223333"));
        // Read-only registers keep their value; the answer shows it. Power-on: no preset.
        QCOMPARE(c.exchange(hex("ff800706b400001c000000001234")), hex("ff880706b400001c000000000000"));
        QCOMPARE(c.read(A::measTime1, 6), A::noPreset);
        QCOMPARE(c.read(A::sFilterPeakingT + 3 * A::channelStride, 2), quint64(200));
        // Malformed requests get no answer and change nothing, but are logged, raw and in order.
        emu->clearRequests(0);
        const QList<QByteArray> bad = {hex("ffc00602b40000"), hex("fec00602b4000010"),
                                       hex("ff800704b40000101234"), hex("ff000602b4000010")};
        for (const QByteArray& d : bad)
            c.send(d);
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(emu->requests(0), bad);
        QCOMPARE(c.read(A::mode, 2), quint64(0x1234));
        // A stray answer first (an answer for another address is seen failing a read in tst_body).
        UnitFaults f;
        f.strayDatagram = true;
        emu->setFaults(0, f);
        const QByteArray stray = c.exchange(RegisterClient::request(A::mode, 4));
        QCOMPARE(stray.mid(8) + c.receive(), QByteArray(4, char(0xA5)) + hex("ffc80604b400001012340000"));

        // Histograms go out on TCP, high byte first; a channel out of range sends nothing. The
        // HV unit, and a unit told to refuse, take no connection.
        emu->setHistogram(0, 2, {0x0505050C, 7});
        QTcpSocket s;
        s.connectToHost(emu->unitAddress(0), emu->tcpPort());
        QVERIFY(s.waitForConnected(RegisterClient::answerTimeoutMs)); // served at once, no wait
        QVERIFY(c.write(A::histgram, 4, 2));
        QCOMPARE(RegisterClient::readStream(s, 1, RegisterClient::silenceMs), QByteArray());
        // Under faults: bytes after the bins, then the connection closed once they are out.
        f = UnitFaults();
        f.trailingBytes = 3;
        f.closeAfterHistogram = true;
        emu->setFaults(0, f);
        QVERIFY(c.write(A::histgram, 2, 2));
        QCOMPARE(RegisterClient::readStream(s, A::histogramBytes + 3),
                 hex("0505050C00000007") + QByteArray(16376, 0) + hex("5a5a5a"));
        QTRY_COMPARE_WITH_TIMEOUT(s.state(), QAbstractSocket::UnconnectedState, waitMs);
        QCOMPARE(s.bytesAvailable(), qint64(0));
        f.refuseTcp = true;
        emu->setFaults(1, f);
        for (int unit : {1, hvUnit}) {
            QTcpSocket refused;
            refused.connectToHost(emu->unitAddress(unit), emu->tcpPort());
            QVERIFY(!refused.waitForConnected(RegisterClient::answerTimeoutMs));
        }
    }

    // A share of the answers lost, the same ones again for the same seed; the requests are
    // carried out all the same.
    void answersLostAtRandom()
    {
        RegisterClient c = client(1);
        QVector<quint16> answered[2];
        for (QVector<quint16>& values : answered) {
            emu->setFaults(1, UnitFaults());
            UnitFaults f;
            f.losePercent = 30;
            f.loseSeed = 5;
            emu->setFaults(1, f); // the draws start again from the seed
            for (quint64 v = 1; v <= 100; ++v)
                c.send(RegisterClient::request(A::mode, 2, true, v));
            for (QByteArray a = c.receive(); !a.isEmpty(); a = c.receive(RegisterClient::silenceMs))
                values << qFromBigEndian<quint16>(a.constData() + 8);
        }
        QVERIFY2(answered[0].size() >= 55 && answered[0].size() <= 85,
                 qPrintable(QString::number(answered[0].size())));
        QCOMPARE(answered[1], answered[0]);
        QCOMPARE(emu->reg(1, A::mode), quint16(100));
    }

    void measurementRegisters()
    {
        RegisterClient c = client(0);
        const quint64 preset = 30000000; // 0.3 s
        QVERIFY(c.write(A::measTime1, preset, 6));
        for (quint64 v : {0, 1, 0})
            QVERIFY(c.write(A::clear, v, 2));
        QVERIFY(c.write(A::start, 1, 2));
        QVERIFY(QTest::qWaitFor([&]() { return c.read(A::realTime1, 6) == preset; }, waitMs));
        QCOMPARE(c.read(A::start, 2), quint64(1));
        for (quint32 o = 0; o < 4 * A::channelStride; o += A::channelStride) {
            QCOMPARE(c.read(A::liveTime1 + o, 6) + c.read(A::deadTime1 + o, 6), preset);
            const quint64 icr = c.read(A::icr1 + o, 4), inputs = c.read(A::fTotalCount1 + o, 4);
            QVERIFY2(icr > 0 && qAbs(double(inputs) - icr * 0.3) <= 1, qPrintable(QString::number(inputs)));
        }
        QCOMPARE(emu->regs(1, A::realTime1, 3), quint64(0)); // the other unit measured nothing
        for (quint64 v : {0, 1, 0})
            QVERIFY(c.write(A::clear, v, 2));
        QCOMPARE(c.read(A::realTime1, 6) + c.read(A::deadTime1, 6) + c.read(A::icr1, 4) +
                     c.read(A::fTotalCount1, 4),
                 quint64(0));
        QCOMPARE(emu->histogram(0, 3), QVector<quint32>(4096, 0));
    }

    void hvSweepsOnAndOff()
    {
        RegisterClient hv = client(hvUnit);
        QCOMPARE(hv.read(A::hvStat, 2) << 16 | hv.read(A::hvValue, 2),
                 quint64(0x20) << 16 | 32767); // off, positive
        QVERIFY(hv.write(A::hvOnOff, 1, 2));
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0x32)); // in transition, switched on
        QVERIFY(readsUntil(hv, A::hvValue, 57342));     // 150 V
        QVERIFY(std::any_of(polled.begin(), polled.end(), [](quint64 v) { return v > 34767 && v < 55342; }));
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0x34));
        QVERIFY(hv.write(A::hvOnOff, 0, 2));
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0x22));
        QVERIFY(readsUntil(hv, A::hvStat, 0x20));
        UnitFaults f;
        f.emergency = true;
        emu->setFaults(hvUnit, f);
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0xE0));
    }

    void emulatorProgram()
    {
        emu.reset();
        const QString exe = builtProgram("../sim/units/unit-emulator", "UNIT_EMULATOR_EXE");
        QProcess p;
        p.start(exe, {"--dsp", "1", "--hv", "--first-address", "127.0.23.2", "--seed", "5"});
        QCOMPARE(console(p), QString("dsp0 127.0.23.2"));
        QCOMPARE(console(p), QString("hv 127.0.23.3"));
        const QRegularExpressionMatch ready =
            QRegularExpression("^ready udp=(\\d+) tcp=(\\d+)$").match(console(p));
        QVERIFY(ready.hasMatch());
        RegisterClient c(QHostAddress("127.0.23.2"), quint16(ready.captured(1).toUInt()));
        QVERIFY(c.write(A::mode, 0x0102, 2));
        QCOMPARE(console(p, "get 0 0xb4000010"), QString("reg 0 0xb4000010 258"));
        QCOMPARE(console(p, "set 0 0xB4000010 0x0304"), QString("ok"));
        QCOMPARE(c.read(A::mode, 2), quint64(0x0304));
        QCOMPARE(console(p, "get 1 0xb4002200"), QString("reg 1 0xb4002200 32"));
        for (const auto& [on, off] : {std::pair("fault 0 noanswer on", "fault 0 noanswer off"),
                                      std::pair("fault 0 lose 100 3", "fault 0 lose 0 3")}) {
            QCOMPARE(console(p, on), QString("ok"));
            c.send(RegisterClient::request(A::mode, 2));
            QCOMPARE(c.receive(RegisterClient::silenceMs) + console(p, off).toLatin1(), QByteArray("ok"));
        }
        QCOMPARE(console(p, "flat 0 2 5"), QString("ok"));
        QCOMPARE(console(p, "dump 0 2"), QString("bins 0 2") + QString(" 5").repeated(4096));
        for (const char* wrong :
             {"fault 0 delay soon", "fault 0 lose 5", "fault 0 closeafter 1", "flat 0 4 1", "frobnicate"})
            QVERIFY(console(p, wrong).startsWith("error "));
        p.write("quit\n");
        QVERIFY(p.waitForFinished(waitMs));
        QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, 0);
        QProcess stays;
        stays.start(exe, {"--first-address", "127.0.23.10"});
        stays.closeWriteChannel(); // the end of input is no quit
        QVERIFY(!stays.waitForFinished(RegisterClient::silenceMs));
        stopProcess(stays);

        // Options: --exit-on-eof; a wrong count; a port already taken on the unit's address.
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress("127.0.23.20"), 0));
        const QStringList runs[] = {
            {"--first-address", "127.0.23.11", "--exit-on-eof"},
            {"--dsp", "many"},
            {"--first-address", "127.0.23.20", "--udp-port", QString::number(taken.localPort())}};
        QStringList exits;
        for (const QStringList& args : runs) {
            QProcess run;
            run.start(exe, args);
            run.closeWriteChannel();
            exits << (run.waitForFinished(waitMs) ? QString::number(run.exitCode()) : QString("running"));
            exits << (run.readAllStandardError().contains("127.0.23.20") ? "named" : "");
        }
        QCOMPARE(exits.join(' '), QString("0  2  1 named"));
    }
};

QTEST_GUILESS_MAIN(TestUnitEmulator)
#include "tst_unitemulator.moc"
