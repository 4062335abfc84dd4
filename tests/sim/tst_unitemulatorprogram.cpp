#include "RegisterClient.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

// The unit-emulator program as a user or a test script starts it.
class TestUnitEmulatorProgram : public QObject
{
    Q_OBJECT

    static constexpr int startTimeoutMs = 5000;
    static constexpr int lineTimeoutMs = 2000;
    static constexpr int stayUpMs = 300;
    static constexpr quint32 mode = 0xB4000010, histgram = 0xB400004A;

    static QString exe() { return qEnvironmentVariable("UNIT_EMULATOR_EXE"); }

    // The next line of standard output within the time-out, without its end; empty if none.
    static QString nextLine(QProcess& p, int timeoutMs = lineTimeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!p.canReadLine() && !deadline.hasExpired())
            p.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        return p.canReadLine() ? QString::fromUtf8(p.readLine()).trimmed() : QString();
    }

    static QString command(QProcess& p, const QByteArray& line)
    {
        p.write(line + '\n');
        return nextLine(p);
    }

    static void stop(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning) return;
        p.kill();
        p.waitForFinished(startTimeoutMs);
    }

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(exe()).isExecutable(), qPrintable(exe())); }

    void servesRegistersAndObeysItsCommands()
    {
        QProcess p;
        p.start(exe(), {"--dsp", "1", "--hv", "--first-address", "127.0.23.2", "--seed", "5"});
        QVERIFY(p.waitForStarted(startTimeoutMs));
        QCOMPARE(nextLine(p, startTimeoutMs), QString("dsp0 127.0.23.2"));
        QCOMPARE(nextLine(p), QString("hv 127.0.23.3"));
        const QRegularExpressionMatch ready =
            QRegularExpression("^ready udp=(\\d+) tcp=(\\d+)$").match(nextLine(p));
        QVERIFY(ready.hasMatch());
        const quint16 udp = quint16(ready.captured(1).toUInt()), tcp = quint16(ready.captured(2).toUInt());
        QVERIFY(udp != 0 && tcp != 0);

        RegisterClient c(QHostAddress("127.0.23.2"), udp);
        QVERIFY(c.write(mode, 0x0102, 2));
        QCOMPARE(command(p, "get 0 0xb4000010"), QString("reg 0 0xb4000010 258"));
        QCOMPARE(command(p, "set 0 0xB4000010 0x0304"), QString("ok"));
        QCOMPARE(c.read(mode, 2), quint64(0x0304));
        QCOMPARE(command(p, "get 1 0xb4002200"), QString("reg 1 0xb4002200 32"));

        QCOMPARE(command(p, "fault 0 noanswer on"), QString("ok"));
        c.send(RegisterClient::readRequest(mode, 2));
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(command(p, "fault 0 noanswer off"), QString("ok"));
        QCOMPARE(c.read(mode, 2), quint64(0x0304));

        QTcpSocket s;
        s.connectToHost(QHostAddress("127.0.23.2"), tcp);
        QVERIFY(s.waitForConnected(lineTimeoutMs));
        QCOMPARE(command(p, "flat 0 2 5"), QString("ok"));
        QVERIFY(c.write(histgram, 2, 2));
        QByteArray fives;
        for (int i = 0; i < 4096; ++i)
            fives.append("\0\0\0\5", 4);
        QCOMPARE(RegisterClient::readStream(s, 16384), fives);
        const QString dump = command(p, "dump 0 2");
        QCOMPARE(dump, QString("bins 0 2") + QString(" 5").repeated(4096));

        QVERIFY(command(p, "fault 0 delay soon").startsWith("error "));
        QVERIFY(command(p, "flat 0 4 1").startsWith("error "));
        QVERIFY(command(p, "frobnicate").startsWith("error "));

        p.write("quit\n");
        QVERIFY(p.waitForFinished(startTimeoutMs));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    void endOfInputDoesNotEndIt()
    {
        QProcess p;
        p.start(exe(), {"--first-address", "127.0.23.10"});
        QVERIFY(p.waitForStarted(startTimeoutMs));
        QVERIFY(nextLine(p, startTimeoutMs).startsWith("dsp0"));
        p.closeWriteChannel();
        QVERIFY(!p.waitForFinished(stayUpMs));
        stop(p);

        QProcess quitting;
        quitting.start(exe(), {"--first-address", "127.0.23.11", "--exit-on-eof"});
        QVERIFY(quitting.waitForStarted(startTimeoutMs));
        quitting.closeWriteChannel();
        const bool ended = quitting.waitForFinished(startTimeoutMs);
        stop(quitting);
        QVERIFY(ended);
    }

    void refusesBadOptionsAndTakenAddresses()
    {
        QProcess bad;
        bad.start(exe(), {"--dsp", "many"});
        QVERIFY(bad.waitForFinished(startTimeoutMs));
        QCOMPARE(bad.exitCode(), 2);

        // A port already bound on the unit's address cannot be served twice.
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress("127.0.23.20"), 0));
        QProcess clash;
        clash.start(exe(),
                    {"--first-address", "127.0.23.20", "--udp-port", QString::number(taken.localPort())});
        QVERIFY(clash.waitForFinished(startTimeoutMs));
        stop(clash);
        QCOMPARE(clash.exitCode(), 1);
        QVERIFY(clash.readAllStandardError().contains("127.0.23.20"));
    }
};

QTEST_GUILESS_MAIN(TestUnitEmulatorProgram)
#include "tst_unitemulatorprogram.moc"
