#include "RegisterClient.h"
#include "sim/units/UnitAddresses.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace A = UnitAddresses;

// The unit-emulator program as a user or a test script starts it.
class TestUnitEmulatorProgram : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    static constexpr int stayUpMs = 500;

    static QString exe() { return qEnvironmentVariable("UNIT_EMULATOR_EXE"); }

    // Writes a command line when given one; the next line of output, without its end.
    static QString command(QProcess& p, const QByteArray& line = QByteArray())
    {
        if (!line.isEmpty()) p.write(line + '\n');
        QTest::qWaitFor([&]() { return p.canReadLine(); }, waitMs);
        return QString::fromUtf8(p.readLine()).trimmed();
    }

    // Runs the program with these options, its input closed; its exit code, or -1 when it is
    // still running after waitMs.
    static int exitCodeOf(const QStringList& args, int ms = waitMs, QByteArray* err = nullptr)
    {
        QProcess p;
        p.start(exe(), args);
        p.closeWriteChannel();
        const bool ended = p.waitForFinished(ms);
        p.kill();
        p.waitForFinished(waitMs);
        if (err) *err = p.readAllStandardError();
        return ended ? p.exitCode() : -1;
    }

private slots:
    void servesRegistersAndObeysItsCommands()
    {
        QProcess p;
        p.start(exe(), {"--dsp", "1", "--hv", "--first-address", "127.0.23.2", "--seed", "5"});
        QCOMPARE(command(p), QString("dsp0 127.0.23.2"));
        QCOMPARE(command(p), QString("hv 127.0.23.3"));
        const QRegularExpressionMatch ready =
            QRegularExpression("^ready udp=(\\d+) tcp=(\\d+)$").match(command(p));
        QVERIFY(ready.hasMatch());
        RegisterClient c(QHostAddress("127.0.23.2"), quint16(ready.captured(1).toUInt()));
        QVERIFY(c.write(A::mode, 0x0102, 2));
        QCOMPARE(command(p, "get 0 0xb4000010"), QString("reg 0 0xb4000010 258"));
        QCOMPARE(command(p, "set 0 0xB4000010 0x0304"), QString("ok"));
        QCOMPARE(c.read(A::mode, 2), quint64(0x0304));
        QCOMPARE(command(p, "get 1 0xb4002200"), QString("reg 1 0xb4002200 32"));
        QCOMPARE(command(p, "fault 0 noanswer on"), QString("ok"));
        c.send(RegisterClient::readRequest(A::mode, 2));
        QCOMPARE(c.receive(RegisterClient::silenceMs), QByteArray());
        QCOMPARE(command(p, "fault 0 noanswer off"), QString("ok"));
        QTcpSocket s;
        s.connectToHost(QHostAddress("127.0.23.2"), quint16(ready.captured(2).toUInt()));
        QVERIFY(s.waitForConnected(waitMs));
        QCOMPARE(command(p, "flat 0 2 5"), QString("ok"));
        QVERIFY(c.write(A::histgram, 2, 2));
        QCOMPARE(RegisterClient::readStream(s, A::histogramBytes), QByteArray("\0\0\0\5", 4).repeated(4096));
        QCOMPARE(command(p, "dump 0 2"), QString("bins 0 2") + QString(" 5").repeated(4096));
        for (const char* wrong : {"fault 0 delay soon", "flat 0 4 1", "frobnicate"})
            QVERIFY(command(p, wrong).startsWith("error "));
        p.write("quit\n");
        QVERIFY(p.waitForFinished(waitMs));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    void endsOnlyWhenToldOrWhenItCannotServe()
    {
        QCOMPARE(exitCodeOf({"--first-address", "127.0.23.10"}, stayUpMs), -1); // end of input is no quit
        QCOMPARE(exitCodeOf({"--first-address", "127.0.23.11", "--exit-on-eof"}), 0);
        QCOMPARE(exitCodeOf({"--dsp", "many"}), 2);
        QUdpSocket taken; // a port already bound on the unit's address cannot be served twice
        QVERIFY(taken.bind(QHostAddress("127.0.23.20"), 0));
        QByteArray err;
        QCOMPARE(
            exitCodeOf({"--first-address", "127.0.23.20", "--udp-port", QString::number(taken.localPort())},
                       waitMs, &err),
            1);
        QVERIFY(err.contains("127.0.23.20"));
    }
};

QTEST_GUILESS_MAIN(TestUnitEmulatorProgram)
#include "tst_unitemulatorprogram.moc"
