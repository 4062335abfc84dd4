#include "RegisterClient.h"
#include "sim/units/UnitAddresses.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace A = UnitAddresses;

// The emulated units seen from outside, bare sockets against an emulator on its own thread
// or in its own program: what the program's tests do not reach (the register wire format in
// full, the measurement registers, the HV unit, the fault switches' exact effect and the
// emulator program's console).
class TestUnitEmulator : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 3000;
    static constexpr int hvUnit = 2;
    std::unique_ptr<UnitEmulatorThread> emu;

    RegisterClient client(int unit) const { return RegisterClient(emu->unitAddress(unit), emu->udpPort()); }
    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    // Until the register reads as the value, polled as the program's watch does.
    static bool readsUntil(RegisterClient& c, quint32 address, quint64 value,
                           QVector<quint64>* seen = nullptr)
    {
        const auto reached = [&]() {
            const quint64 now = c.read(address, 2);
            if (seen) *seen << now;
            return now == value;
        };
        return QTest::qWaitFor(reached, waitMs);
    }

    // Writes a command line when given one; the next line the emulator program prints.
    static QString console(QProcess& p, const QByteArray& line = QByteArray())
    {
        p.write(line.isEmpty() ? line : line + '\n');
        QTest::qWaitFor([&]() { return p.canReadLine(); }, waitMs);
        return QString::fromUtf8(p.readLine()).trimmed();
    }

private slots:
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
        // Faults that leave the answer wrong: another address, or a stray answer first.
        UnitFaults f;
        f.wrongAddress = true;
        emu->setFaults(0, f);
        QCOMPARE(c.exchange(RegisterClient::request(A::mode, 2)), hex("ffc80602b40000121234"));
        f.wrongAddress = false;
        f.strayDatagram = true;
        emu->setFaults(0, f);
        const QByteArray stray = c.exchange(RegisterClient::request(A::mode, 4));
        QCOMPARE(stray.mid(8) + c.receive(), QByteArray(4, char(0xA5)) + hex("ffc80604b400001012340000"));

        // Histograms go out on TCP, high byte first; a channel out of range sends nothing, and
        // the HV unit takes no connection.
        emu->setHistogram(0, 2, {0x0505050C, 7});
        QTcpSocket s, hv;
        s.connectToHost(emu->unitAddress(0), emu->tcpPort());
        QVERIFY(s.waitForConnected(RegisterClient::answerTimeoutMs)); // served at once, no wait
        QVERIFY(c.write(A::histgram, 2, 2));
        QCOMPARE(RegisterClient::readStream(s, A::histogramBytes),
                 hex("0505050C00000007") + QByteArray(16376, 0));
        QVERIFY(c.write(A::histgram, 4, 2));
        QCOMPARE(RegisterClient::readStream(s, 1, RegisterClient::silenceMs), QByteArray());
        hv.connectToHost(emu->unitAddress(hvUnit), emu->tcpPort());
        QVERIFY(!hv.waitForConnected(RegisterClient::answerTimeoutMs));
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
        QVector<quint64> values;
        QVERIFY(readsUntil(hv, A::hvValue, 57342, &values)); // 150 V
        QVERIFY(std::any_of(values.begin(), values.end(), [](quint64 v) { return v > 34767 && v < 55342; }));
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
        const QString exe = qEnvironmentVariable("UNIT_EMULATOR_EXE");
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
        QCOMPARE(console(p, "fault 0 noanswer on"), QString("ok"));
        c.send(RegisterClient::request(A::mode, 2));
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(console(p, "fault 0 noanswer off"), QString("ok"));
        QTcpSocket s;
        s.connectToHost(QHostAddress("127.0.23.2"), quint16(ready.captured(2).toUInt()));
        QVERIFY(s.waitForConnected(waitMs));
        QCOMPARE(console(p, "flat 0 2 5"), QString("ok"));
        QVERIFY(c.write(A::histgram, 2, 2));
        QCOMPARE(RegisterClient::readStream(s, A::histogramBytes), QByteArray("\0\0\0\5", 4).repeated(4096));
        QCOMPARE(console(p, "dump 0 2"), QString("bins 0 2") + QString(" 5").repeated(4096));
        for (const char* wrong : {"fault 0 delay soon", "flat 0 4 1", "frobnicate"})
            QVERIFY(console(p, wrong).startsWith("error "));
        p.write("quit\n");
        QVERIFY(p.waitForFinished(waitMs));
        QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, 0);
        QProcess stays;
        stays.start(exe, {"--first-address", "127.0.23.10"});
        stays.closeWriteChannel(); // the end of input is no quit
        QVERIFY(!stays.waitForFinished(RegisterClient::silenceMs));

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
