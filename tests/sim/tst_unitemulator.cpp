#include "RegisterClient.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <memory>
#include <numeric>

// The emulated units seen from outside: bare sockets against an emulator on its own thread.
class TestUnitEmulator : public QObject
{
    Q_OBJECT

    // Registers of the units, written down here for the test on its own.
    static constexpr quint32 mode = 0xB4000010, start = 0xB4000014, measTime1 = 0xB4000016,
                             realTime1 = 0xB400001C, clear = 0xB4000040, histgram = 0xB400004A,
                             roi1Start = 0xB400009E, peakingT = 0xB400020A, fTotalCount1 = 0xB400021C,
                             icr1 = 0xB400022C, liveTime1 = 0xB4000246, deadTime1 = 0xB400024C,
                             hvStat = 0xB4002200, hvValue = 0xB4002202, hvOnOff = 0xB400220E;
    static constexpr quint32 channelStride = 0x200;
    static constexpr int histogramBytes = 16384;
    static constexpr double rate = 20000;
    static constexpr int hvRampMs = 400;
    static constexpr int hvUnit = 2;
    static constexpr int pollMs = 20;
    static constexpr int settleTimeoutMs = 3000;

    std::unique_ptr<UnitEmulatorThread> emu;

    RegisterClient client(int unit) const { return RegisterClient(emu->unitAddress(unit), emu->udpPort()); }

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    // Clear pulse and start, as the program does it.
    static void clearAndStart(RegisterClient& c)
    {
        for (quint64 v : {0, 1, 0})
            QVERIFY(c.write(clear, v, 2));
        QVERIFY(c.write(start, 1, 2));
    }

private slots:
    void init()
    {
        EmulatorConfig config;
        config.firstAddress = QHostAddress("127.0.21.2");
        config.dspUnits = 2;
        config.hvUnit = true;
        config.countRate = rate;
        config.hvRampMs = hvRampMs;
        emu = std::make_unique<UnitEmulatorThread>(config);
        QString error;
        QVERIFY2(emu->start(&error), qPrintable(error));
    }

    void cleanup() { emu.reset(); }

    void unitsSitOnConsecutiveAddresses()
    {
        QCOMPARE(emu->unitAddress(0), QHostAddress("127.0.21.2"));
        QCOMPARE(emu->unitAddress(1), QHostAddress("127.0.21.3"));
        QCOMPARE(emu->unitAddress(hvUnit), QHostAddress("127.0.21.4"));
        QVERIFY(emu->udpPort() != 0 && emu->tcpPort() != 0);
        // Each unit has its own registers; the answer comes from the unit asked.
        RegisterClient c0 = client(0), c1 = client(1);
        QVERIFY(c0.write(mode, 0x1111, 2));
        QVERIFY(c1.write(mode, 0x2222, 2));
        QCOMPARE(c0.read(mode, 2), quint64(0x1111));
        QCOMPARE(emu->reg(1, mode), quint16(0x2222));
        QHostAddress from;
        c1.send(RegisterClient::readRequest(mode, 2));
        QVERIFY(c1.socket.waitForReadyRead(RegisterClient::answerTimeoutMs));
        c1.socket.readDatagram(nullptr, 0, &from);
        QCOMPARE(from, QHostAddress("127.0.21.3"));
        // A TCP connection to the HV unit is refused: it has no histograms.
        QTcpSocket s;
        s.connectToHost(emu->unitAddress(hvUnit), emu->tcpPort());
        QVERIFY(!s.waitForConnected(RegisterClient::answerTimeoutMs));
    }

    void answersCarryTheRequestHeadAndTheRegisterBytes()
    {
        RegisterClient c = client(0);
        // Write 2 bytes: the head comes back with the reply flag, then the bytes stored.
        QCOMPARE(c.exchange(hex("ff805a02b40000101234")), hex("ff885a02b40000101234"));
        QCOMPARE(c.exchange(hex("ffc01102b4000010")), hex("ffc81102b40000101234"));
        // Six bytes fill three consecutive registers, most significant word first.
        QCOMPARE(c.exchange(hex("ff800706b400009e111122223333")), hex("ff880706b400009e111122223333"));
        QCOMPARE(emu->reg(0, roi1Start), quint16(0x1111));
        QCOMPARE(emu->reg(0, roi1Start + 4), quint16(0x3333));
        QCOMPARE(c.exchange(hex("ffc00604b40000a0")), hex("ffc80604b40000a022223333"));
        // The delay pair outside the DSP block, written as one 4-byte value.
        QVERIFY(c.write(8, 375000, 4));
        QCOMPARE(emu->reg(0, 8), quint16(0x0005));
        QCOMPARE(emu->reg(0, 10), quint16(0xB8D8));
        // Power-on values: no preset, a peaking time on every channel.
        QCOMPARE(c.read(measTime1, 6), quint64(0x0FFFFFFFFFFF));
        QCOMPARE(c.read(peakingT + 3 * channelStride, 2), quint64(200));
        // Read-only registers keep their value; the answer shows it.
        QCOMPARE(c.exchange(hex("ff800706b400001c000000001234")), hex("ff880706b400001c000000000000"));
        // setReg acts as a write; the log holds the requests, raw and in order.
        emu->setReg(0, mode, 0xBEEF);
        QCOMPARE(c.read(mode, 2), quint64(0xBEEF));
        const QList<QByteArray> log = emu->requests(0);
        QVERIFY(log.size() >= 9);
        QCOMPARE(log.first(), hex("ff805a02b40000101234"));
        QCOMPARE(log.last(), RegisterClient::readRequest(mode, 2));
        emu->clearRequests(0);
        QVERIFY(emu->requests(0).isEmpty());
        QVERIFY(emu->requests(1).isEmpty());
    }

    void malformedRequestsGetNoAnswer()
    {
        RegisterClient c = client(0);
        const QList<QByteArray> bad = {hex("ffc00602b40000"), hex("fec00602b4000010"),
                                       hex("ff800704b40000101234"), hex("ff000602b4000010")};
        for (const QByteArray& d : bad)
            c.send(d);
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(emu->reg(0, mode), quint16(0)); // the short write stored nothing
        QCOMPARE(emu->requests(0), bad);
        QCOMPARE(c.exchange(hex("ffc00602b4000010")), hex("ffc80602b40000100000"));
    }

    void histogramGoesOutOnTcpAfterAWrite()
    {
        QVector<quint32> known(4096);
        for (int i = 0; i < known.size(); ++i)
            known[i] = quint32(i) * 0x01010101u + 7;
        emu->setHistogram(0, 2, known);
        RegisterClient c = client(0);
        QTcpSocket s;
        // No waiting for the unit to take the connection in: a request right after the
        // connection stands must be served.
        s.connectToHost(emu->unitAddress(0), emu->tcpPort());
        QVERIFY(s.waitForConnected(RegisterClient::answerTimeoutMs));
        QVERIFY(c.write(histgram, 2, 2));
        const QByteArray bytes = RegisterClient::readStream(s, histogramBytes);
        QCOMPARE(bytes.size(), histogramBytes);
        QVector<quint32> got(4096);
        qFromBigEndian<quint32>(bytes.constData(), got.size(), got.data());
        QCOMPARE(got, known);
        QCOMPARE(quint8(bytes[4 * 5]), quint8(0x05)); // bin 5 = 0x0505050C, high byte first

        // Measured bins arrive as the unit holds it; a channel out of range sends nothing.
        clearAndStart(c);
        QThread::msleep(100);
        QVERIFY(c.write(start, 0, 2));
        QVERIFY(c.write(histgram, 1, 2));
        const QByteArray measured = RegisterClient::readStream(s, histogramBytes);
        QCOMPARE(measured.size(), histogramBytes);
        qFromBigEndian<quint32>(measured.constData(), got.size(), got.data());
        QCOMPARE(got, emu->histogram(0, 1));
        QVERIFY(std::accumulate(got.begin(), got.end(), 0.0) > 0);
        QVERIFY(c.write(histgram, 4, 2));
        QCOMPARE(RegisterClient::readStream(s, 1, RegisterClient::silenceMs), QByteArray());
    }

    void presetMeasurementEndsByItself()
    {
        RegisterClient c = client(0);
        const quint64 preset = 30000000; // 0.3 s
        QVERIFY(c.write(measTime1, preset, 6));
        clearAndStart(c);
        QElapsedTimer wall;
        wall.start();
        QThread::msleep(100);
        const quint64 early = c.read(realTime1, 6);
        const qint64 wallEarly = wall.nsecsElapsed();
        QVERIFY2(std::abs(double(early) * 10 - double(wallEarly)) < 50e6, qPrintable(QString::number(early)));
        // Poll until the real time stops moving, as the program's watch does.
        quint64 last = early, now = 0;
        while (wall.elapsed() < settleTimeoutMs) {
            QThread::msleep(pollMs);
            now = c.read(realTime1, 6);
            if (now == last) break;
            last = now;
        }
        QCOMPARE(now, preset);
        QVERIFY(wall.elapsed() >= 290);
        QCOMPARE(c.read(start, 2), quint64(1));
        quint64 icrs[4];
        for (int ch = 0; ch < 4; ++ch) {
            const quint32 o = channelStride * quint32(ch);
            const quint64 live = c.read(liveTime1 + o, 6), dead = c.read(deadTime1 + o, 6);
            QCOMPARE(live + dead, preset);
            QVERIFY(dead > 0 && dead < preset / 4);
            icrs[ch] = c.read(icr1 + o, 4);
            const double inputs = double(c.read(fTotalCount1 + o, 4));
            QVERIFY2(std::abs(inputs - icrs[ch] * 0.3) <= 1, qPrintable(QString::number(inputs)));
            const QVector<quint32> bins = emu->histogram(0, ch);
            const double expected = icrs[ch] * live * 1e-8;
            const double n = std::accumulate(bins.begin(), bins.end(), 0.0);
            QVERIFY2(std::abs(n - expected) < 5 * std::sqrt(expected),
                     qPrintable(QStringLiteral("ch %1: %2 vs %3").arg(ch).arg(n).arg(expected)));
        }
        QVERIFY(std::abs(double(icrs[0]) - rate) < 1);
        QVERIFY(icrs[0] < icrs[1] && icrs[1] < icrs[2] && icrs[2] < icrs[3]);
        // The other unit measured nothing.
        QCOMPARE(emu->regs(1, realTime1, 3), quint64(0));
    }

    void stopResumeAndClear()
    {
        RegisterClient c = client(0);
        clearAndStart(c);
        QThread::msleep(60);
        QVERIFY(c.write(start, 0, 2));
        const quint64 stopped = c.read(realTime1, 6);
        QThread::msleep(60);
        QCOMPARE(c.read(realTime1, 6), stopped);
        QVERIFY(stopped >= 5000000);
        QVERIFY(c.write(start, 1, 2));
        QThread::msleep(60);
        QVERIFY(c.read(realTime1, 6) >= stopped + 5000000); // accumulates, not from zero
        QVERIFY(c.write(start, 0, 2));
        emu->setHistogram(0, 3, QVector<quint32>(4096, 9));
        for (quint64 v : {0, 1, 0})
            QVERIFY(c.write(clear, v, 2));
        QCOMPARE(c.read(realTime1, 6), quint64(0));
        for (quint32 a : {liveTime1, deadTime1})
            QCOMPARE(c.read(a + 2 * channelStride, 6), quint64(0));
        QCOMPARE(c.read(fTotalCount1, 4), quint64(0));
        QCOMPARE(c.read(icr1, 4), quint64(0));
        for (int ch = 0; ch < 4; ++ch)
            QCOMPARE(emu->histogram(0, ch), QVector<quint32>(4096, 0));
    }

    void hvSweepsOnAndOff()
    {
        RegisterClient hv = client(hvUnit);
        QCOMPARE(hv.read(hvStat, 2), quint64(0x20)); // off, positive
        QCOMPARE(hv.read(hvValue, 2), quint64(32767));
        QElapsedTimer t;
        t.start();
        QVERIFY(hv.write(hvOnOff, 1, 2));
        QCOMPARE(hv.read(hvStat, 2), quint64(0x32)); // in transition, switched on
        QThread::msleep(hvRampMs / 2);
        const quint64 midway = hv.read(hvValue, 2);
        QVERIFY2(midway > 32767 + 2000 && midway < 57342 - 2000, qPrintable(QString::number(midway)));
        quint64 status = 0;
        while (t.elapsed() < settleTimeoutMs && (status = hv.read(hvStat, 2)) != 0x34)
            QThread::msleep(pollMs);
        QCOMPARE(status, quint64(0x34));
        QVERIFY(t.elapsed() >= hvRampMs - 20);
        QCOMPARE(hv.read(hvValue, 2), quint64(57342)); // 150 V
        QCOMPARE(hv.read(hvOnOff, 2), quint64(1));
        QVERIFY(hv.write(hvOnOff, 0, 2));
        QCOMPARE(hv.read(hvStat, 2), quint64(0x22));
        QThread::msleep(5);
        QVERIFY(hv.read(hvValue, 2) < 57342);
        t.restart();
        while (t.elapsed() < settleTimeoutMs && (status = hv.read(hvStat, 2)) != 0x20)
            QThread::msleep(pollMs);
        QCOMPARE(status, quint64(0x20));
        QCOMPARE(hv.read(hvValue, 2), quint64(32767));
        // A pinned word overrides what the unit would say.
        emu->pinReg(hvUnit, hvStat, 0x0007);
        QCOMPARE(hv.read(hvStat, 2), quint64(7));
        emu->unpinReg(hvUnit, hvStat);
        QCOMPARE(hv.read(hvStat, 2), quint64(0x20));
    }
};

QTEST_GUILESS_MAIN(TestUnitEmulator)
#include "tst_unitemulator.moc"
