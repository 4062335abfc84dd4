#include "RegisterClient.h"
#include "sim/units/UnitAddresses.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QElapsedTimer>
#include <QtTest>

namespace A = UnitAddresses;

// The emulated units seen from outside, bare sockets against an emulator on its own thread:
// what the program's tests do not reach (the register wire format in full, the measurement
// registers, the HV unit and the exact effect of the fault switches).
class TestUnitEmulator : public QObject
{
    Q_OBJECT

    static constexpr int settleMs = 3000;
    static constexpr int hvUnit = 2;
    std::unique_ptr<UnitEmulatorThread> emu;

    RegisterClient client(int unit) const { return RegisterClient(emu->unitAddress(unit), emu->udpPort()); }
    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    // Until the register reads as the value, polled as the program's watch does.
    static bool readsUntil(RegisterClient& c, quint32 address, int length, quint64 value,
                           QVector<quint64>* seen)
    {
        const auto reached = [&]() {
            seen->append(c.read(address, length));
            return seen->last() == value;
        };
        return QTest::qWaitFor(reached, settleMs);
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
        RegisterClient c = client(0), c1 = client(1);
        // The head comes back with the reply flag, then the bytes stored; six bytes fill three
        // registers, most significant word first.
        QCOMPARE(c.exchange(hex("ff805a02b40000101234")), hex("ff885a02b40000101234"));
        QCOMPARE(c.exchange(hex("ff800706b400009e111122223333")), hex("ff880706b400009e111122223333"));
        QCOMPARE(c.exchange(hex("ffc00604b40000a0")), hex("ffc80604b40000a022223333"));
        // Read-only registers keep their value; the answer shows it. Power-on: no preset.
        QCOMPARE(c.exchange(hex("ff800706b400001c000000001234")), hex("ff880706b400001c000000000000"));
        QCOMPARE(c.read(A::measTime1, 6), A::noPreset);
        QCOMPARE(c.read(A::sFilterPeakingT + 3 * A::channelStride, 2), quint64(200));
        // Each unit has its own registers and answers from its own address.
        c1.send(RegisterClient::readRequest(A::mode, 2));
        QVERIFY(c1.socket.waitForReadyRead(RegisterClient::answerTimeoutMs));
        QHostAddress from;
        QByteArray answer(10, 0);
        c1.socket.readDatagram(answer.data(), answer.size(), &from);
        QCOMPARE(answer + from.toString().toLatin1(), hex("ffc80602b40000100000") + "127.0.21.3");
        // Malformed requests get no answer and change nothing, but are logged, raw and in order.
        emu->clearRequests(0);
        const QList<QByteArray> bad = {hex("ffc00602b40000"), hex("fec00602b4000010"),
                                       hex("ff800704b40000101234"), hex("ff000602b4000010")};
        for (const QByteArray& d : bad)
            c.send(d);
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(emu->requests(0), bad);
        QCOMPARE(c.read(A::mode, 2), quint64(0x1234));

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
        QElapsedTimer wall;
        wall.start();
        QVector<quint64> seen;
        QVERIFY(readsUntil(c, A::realTime1, 6, preset, &seen));
        QVERIFY(wall.elapsed() >= 250);
        QCOMPARE(c.read(A::start, 2), quint64(1));
        for (int ch = 0; ch < 4; ++ch) {
            const quint32 o = A::channelStride * quint32(ch);
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
        QVERIFY(readsUntil(hv, A::hvValue, 2, 57342, &values)); // 150 V
        QVERIFY(std::any_of(values.begin(), values.end(), [](quint64 v) { return v > 34767 && v < 55342; }));
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0x34));
        QVERIFY(hv.write(A::hvOnOff, 0, 2));
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0x22));
        QVERIFY(readsUntil(hv, A::hvStat, 2, 0x20, &values));
        emu->pinReg(hvUnit, A::hvStat, 7); // a pinned word overrides what the unit would say
        QCOMPARE(hv.read(A::hvStat, 2), quint64(7));
        UnitFaults f;
        f.emergency = true;
        emu->setFaults(hvUnit, f);
        emu->unpinReg(hvUnit, A::hvStat);
        QCOMPARE(hv.read(A::hvStat, 2), quint64(0xE0));
    }

    void faultsThatLeaveTheAnswerWrong()
    {
        RegisterClient c = client(0);
        QVERIFY(c.write(A::mode, 0x1234, 2));
        UnitFaults f;
        f.wrongAddress = true;
        emu->setFaults(0, f);
        QCOMPARE(c.exchange(RegisterClient::readRequest(A::mode, 2)), hex("ffc80602b40000121234"));
        f = UnitFaults();
        f.strayDatagram = true;
        emu->setFaults(0, f);
        c.send(RegisterClient::readRequest(A::mode, 4));
        const QByteArray stray = c.receive();
        QCOMPARE(stray.mid(8) + c.receive(), QByteArray(4, char(0xA5)) + hex("ffc80604b400001012340000"));
    }
};

QTEST_GUILESS_MAIN(TestUnitEmulator)
#include "tst_unitemulator.moc"
