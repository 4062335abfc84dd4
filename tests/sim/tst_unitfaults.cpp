#include "RegisterClient.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

// Every fault switch of the emulated units, seen through bare sockets.
class TestUnitFaults : public QObject
{
    Q_OBJECT

    static constexpr quint32 mode = 0xB4000010, histgram = 0xB400004A, hvStat = 0xB4002200;
    static constexpr int histogramBytes = 16384;
    static constexpr int hvUnit = 2;
    static constexpr int delayMs = 250;
    static constexpr int pieceBytes = 4096;
    static constexpr int pieceGapMs = 100;
    static constexpr int streamTimeoutMs = 3000;

    std::unique_ptr<UnitEmulatorThread> emu;

    RegisterClient client(int unit) const { return RegisterClient(emu->unitAddress(unit), emu->udpPort()); }

    bool connectTcp(QTcpSocket& s, int unit, int clients = 1)
    {
        s.connectToHost(emu->unitAddress(unit), emu->tcpPort());
        if (!s.waitForConnected(RegisterClient::answerTimeoutMs)) return false;
        QElapsedTimer t;
        t.start();
        while (emu->tcpClientCount(unit) < clients && t.elapsed() < RegisterClient::answerTimeoutMs)
            QThread::msleep(1);
        return emu->tcpClientCount(unit) >= clients;
    }

    static quint32 addressOf(const QByteArray& answer)
    {
        return qFromBigEndian<quint32>(answer.constData() + 4);
    }

private slots:
    void init()
    {
        EmulatorConfig config;
        config.firstAddress = QHostAddress("127.0.22.2");
        config.dspUnits = 2;
        config.hvUnit = true;
        emu = std::make_unique<UnitEmulatorThread>(config);
        QString error;
        QVERIFY2(emu->start(&error), qPrintable(error));
    }

    void cleanup() { emu.reset(); }

    void noAnswerLosesTheAnswerOnly()
    {
        UnitFaults f;
        f.noAnswer = true;
        emu->setFaults(0, f);
        RegisterClient c0 = client(0), c1 = client(1);
        c0.send(RegisterClient::writeRequest(mode, RegisterClient::bytesOf(0x55, 2)));
        QCOMPARE(c0.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(emu->reg(0, mode), quint16(0x55)); // carried out all the same
        QVERIFY(c1.write(mode, 1, 2));              // the other unit is unaffected
        emu->setFaults(0, UnitFaults());
        QCOMPARE(c0.read(mode, 2), quint64(0x55));
    }

    void lateAnswerDoesNotHoldUpOtherUnits()
    {
        UnitFaults f;
        f.answerDelayMs = delayMs;
        emu->setFaults(0, f);
        RegisterClient c0 = client(0), c1 = client(1);
        QElapsedTimer t;
        t.start();
        c0.send(RegisterClient::readRequest(mode, 2));
        QVERIFY(c1.write(mode, 3, 2));
        QVERIFY2(t.elapsed() < delayMs / 2, "the emulator's thread was blocked");
        QCOMPARE(c0.receive(RegisterClient::silenceMs / 2), QByteArray()); // not yet
        const QByteArray late = c0.receive(RegisterClient::answerTimeoutMs);
        QVERIFY(t.elapsed() >= delayMs - 5);
        QCOMPARE(late, QByteArray::fromHex("ffc80602b40000100000"));
    }

    void wrongAddressAndStrayAnswers()
    {
        RegisterClient c = client(0);
        QVERIFY(c.write(mode, 0x1234, 2));
        UnitFaults f;
        f.wrongAddress = true;
        emu->setFaults(0, f);
        QCOMPARE(c.exchange(RegisterClient::readRequest(mode, 2)),
                 QByteArray::fromHex("ffc80602b40000121234"));

        f = UnitFaults();
        f.strayDatagram = true;
        emu->setFaults(0, f);
        c.send(RegisterClient::readRequest(mode, 4));
        const QByteArray stray = c.receive(), real = c.receive();
        QCOMPARE(stray.size(), 12);
        QVERIFY(addressOf(stray) != mode);
        QCOMPARE(stray.mid(8), QByteArray(4, char(0xA5)));
        QCOMPARE(real, QByteArray::fromHex("ffc80604b400001012340000"));
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
    }

    void cutHistogramsStayCutUntilSwitchedOff()
    {
        QTcpSocket s;
        QVERIFY(connectTcp(s, 0));
        RegisterClient c = client(0);
        UnitFaults f;
        f.cutBytes = 1000;
        emu->setFaults(0, f);
        for (int round = 0; round < 2; ++round) {
            QVERIFY(c.write(histgram, 0, 2));
            QCOMPARE(RegisterClient::readStream(s, histogramBytes, RegisterClient::silenceMs).size(), 1000);
        }
        emu->setFaults(0, UnitFaults());
        QVERIFY(c.write(histgram, 0, 2));
        QCOMPARE(RegisterClient::readStream(s, histogramBytes).size(), histogramBytes);
    }

    void histogramInTimedPieces()
    {
        QTcpSocket s;
        QVERIFY(connectTcp(s, 0));
        emu->setHistogram(0, 1, QVector<quint32>(4096, 0x01020304));
        UnitFaults f;
        f.pieceBytes = pieceBytes;
        f.pieceGapMs = pieceGapMs;
        emu->setFaults(0, f);
        RegisterClient c = client(0);
        QElapsedTimer t;
        t.start();
        QVERIFY(c.write(histgram, 1, 2));
        // The first piece comes at once, then nothing until the gap has passed.
        QCOMPARE(RegisterClient::readStream(s, pieceBytes).size(), pieceBytes);
        QVERIFY(t.elapsed() < pieceGapMs);
        QCOMPARE(RegisterClient::readStream(s, 1, pieceGapMs / 2).size(), 0);
        QByteArray rest = RegisterClient::readStream(s, histogramBytes - pieceBytes, streamTimeoutMs);
        QCOMPARE(rest.size(), histogramBytes - pieceBytes);
        QVERIFY(t.elapsed() >= 3 * pieceGapMs - 5);
        QCOMPARE(rest.right(4), QByteArray::fromHex("01020304"));
    }

    void closedAndRefusedConnections()
    {
        QTcpSocket s;
        QVERIFY(connectTcp(s, 0));
        emu->closeTcp(0);
        QVERIFY(s.state() == QAbstractSocket::UnconnectedState ||
                s.waitForDisconnected(RegisterClient::answerTimeoutMs));
        QCOMPARE(emu->tcpClientCount(0), 0);

        UnitFaults f;
        f.refuseTcp = true;
        emu->setFaults(0, f);
        QTcpSocket refused;
        refused.connectToHost(emu->unitAddress(0), emu->tcpPort());
        QVERIFY(!refused.waitForConnected(RegisterClient::answerTimeoutMs));
        QCOMPARE(refused.error(), QAbstractSocket::ConnectionRefusedError);

        emu->setFaults(0, UnitFaults());
        QTcpSocket again;
        QVERIFY(connectTcp(again, 0));
        QVERIFY(client(0).write(histgram, 3, 2));
        QCOMPARE(RegisterClient::readStream(again, histogramBytes).size(), histogramBytes);
    }

    void emergencyBitsOfTheHvUnit()
    {
        RegisterClient hv = client(hvUnit);
        UnitFaults f;
        f.emergency = true;
        emu->setFaults(hvUnit, f);
        QCOMPARE(hv.read(hvStat, 2), quint64(0xE0));
        emu->setFaults(hvUnit, UnitFaults());
        QCOMPARE(hv.read(hvStat, 2), quint64(0x20));
    }
};

QTEST_GUILESS_MAIN(TestUnitFaults)
#include "tst_unitfaults.moc"
