#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// The real program against the stand-in server, asked by the stand-in client, as a user
// trying it would run them.
class TestZephraEndToEnd : public QObject
{
    Q_OBJECT

    static constexpr int startMs = 5000;
    static constexpr int clientWaitMs = 1500;
    static constexpr int loginWithinMs = 15000;
    static constexpr int stopMs = 5000;

    QTemporaryDir dir;

    static QString exe(const char* var) { return qEnvironmentVariable(var); }

    static void stop(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning) return;
        p.terminate();
        if (!p.waitForFinished(stopMs)) {
            p.kill();
            p.waitForFinished(stopMs);
        }
    }

    // Starts the server on a free port; 0 when it did not say where it listens.
    quint16 startServer(QProcess& server)
    {
        server.setWorkingDirectory(dir.path());
        server.start(exe("ZEPHRA_SERVER_EXE"), {"--port", "0", "--keys", "zephra.keys"});
        QDeadlineTimer deadline(startMs);
        while (!server.canReadLine() && !deadline.hasExpired())
            server.waitForReadyRead(int(deadline.remainingTime()));
        const QList<QByteArray> words = server.readLine().trimmed().split(' ');
        return words.size() == 3 && words[0] == "listening" ? quint16(words[2].toUInt()) : 0;
    }

    void startTavik(QProcess& tavik, quint16 port)
    {
        QFile cfg(dir.filePath("config.cfg"));
        QVERIFY(cfg.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cfg.write(QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\n").arg(port).toLatin1());
        cfg.close();
        tavik.setWorkingDirectory(dir.path());
        tavik.start(exe("TAVIK_EXE"), {"-platform", "offscreen", "-e"});
        QVERIFY(tavik.waitForStarted(startMs));
    }

    // Runs the client once; its standard output.
    QByteArray ask(quint16 port, const QStringList& args, const QByteArray& input = QByteArray())
    {
        QProcess client;
        client.setWorkingDirectory(dir.path());
        client.start(exe("ZEPHRA_CLIENT_EXE"),
                     QStringList{"--port", QString::number(port), "--wait", QString::number(clientWaitMs)} +
                         args);
        if (!client.waitForStarted(startMs)) return QByteArray();
        client.write(input);
        client.closeWriteChannel();
        if (!client.waitForFinished(clientWaitMs * 3 + startMs)) stop(client);
        return client.readAllStandardOutput();
    }

private slots:
    void initTestCase()
    {
        for (const char* var : {"TAVIK_EXE", "ZEPHRA_SERVER_EXE", "ZEPHRA_CLIENT_EXE"})
            QVERIFY2(QFileInfo(exe(var)).isExecutable(), var);
        QVERIFY(dir.isValid());
        for (const char* name : {"zephra.keys", "Tavik.key"}) {
            QFile keys(dir.filePath(name));
            QVERIFY(keys.open(QIODevice::WriteOnly));
            keys.write("first\nsecond\nthird\n");
        }
    }

    void answersTheStandInClient()
    {
        QProcess server, tavik;
        const quint16 port = startServer(server);
        QVERIFY(port != 0);
        startTavik(tavik, port);

        const QByteArray hello = "Tavik>ctrl1 @Hello Hello! I am Tavik. Nice to meet you!\n";
        QByteArray out;
        QDeadlineTimer deadline(loginWithinMs);
        while (out != hello && !deadline.hasExpired() && tavik.state() == QProcess::Running)
            out = ask(port, {"--name", "ctrl1", "--keys", "zephra.keys", "Hello"});
        QCOMPARE(out, hello);

        out =
            ask(port, {"--name", "ctrl2", "--to", "Tavik.dsp1"}, "Help\nHelp Nope\n\nIsBusy\nGetMCALength\n");
        const QList<QByteArray> lines = out.split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY2(lines[0].startsWith("Tavik.dsp1>ctrl2 @Help Commands : Hello Help IsBusy GetMCALength "),
                 lines[0].constData());
        const QList<QByteArray> words = lines[0].mid(lines[0].indexOf(" : ") + 3).split(' ');
        QCOMPARE(words.size(), 45);
        QCOMPARE(words.last(), QByteArray("SetMeasTimeInSec"));
        QCOMPARE(lines[1], QByteArray("Tavik.dsp1>ctrl2 @Help Er: Command [Nope] not found."));
        QCOMPARE(lines[2], QByteArray("Tavik.dsp1>ctrl2 @IsBusy 0"));
        QCOMPARE(lines[3], QByteArray("Tavik.dsp1>ctrl2 @GetMCALength Er: No DSPs are managed"));

        QCOMPARE(tavik.state(), QProcess::Running);
        stop(tavik);
        stop(server);
    }

    void keepsRunningWithoutServer()
    {
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        QProcess tavik;
        startTavik(tavik, port);
        QVERIFY(!tavik.waitForFinished(clientWaitMs));
        stop(tavik);
    }
};

QTEST_GUILESS_MAIN(TestZephraEndToEnd)
#include "tst_zephraendtoend.moc"
