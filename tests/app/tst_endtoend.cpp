#include "process/ChildProcess.h"
#include "tests/support/LineClient.h"

#include <QTemporaryDir>
#include <QtTest>

// The real programs as a user runs them: the program with its command-line options, and
// with the stand-in server, asked by the stand-in client.
class TestEndToEnd : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    static constexpr int stayUpMs = 1000;
    static constexpr int clientWaitMs = 1500;
    static constexpr int loginWithinMs = 15000;
    QTemporaryDir dir;

    static QString tavikExe() { return builtProgram("../tavik", "TAVIK_EXE"); }

    // Runs the client once; its standard output.
    QByteArray ask(quint16 port, const QStringList& args, const QByteArray& input = QByteArray())
    {
        QProcess client;
        client.setWorkingDirectory(dir.path());
        client.start(builtProgram("../sim/client/zephra-client", "ZEPHRA_CLIENT_EXE"),
                     QStringList{"--port", QString::number(port), "--wait", QString::number(clientWaitMs)} +
                         args);
        client.write(input);
        client.closeWriteChannel();
        if (!client.waitForFinished(clientWaitMs * 3 + waitMs)) stopProcess(client);
        return client.readAllStandardOutput();
    }

private Q_SLOTS:
    void readsTheConfigurationTheOptionsNameAndStaysUp()
    {
        // options|what the program says|what it does not
        const QStringList runs = {"|Can't open config file :  \"config.cfg\"|\"\"",
                                  "-c|Can't open config file :  \"\"|config.cfg",
                                  "-config a.cfg -c b.cfg -e|\"a.cfg\"|b.cfg"};
        QProcess programs[3];
        for (int i = 0; i < 3; ++i) {
            programs[i].setWorkingDirectory(dir.path());
            programs[i].setReadChannel(QProcess::StandardError);
            programs[i].start(tavikExe(), QStringList{"-platform", "offscreen"} +
                                              runs[i].section('|', 0, 0).split(' ', Qt::SkipEmptyParts));
        }
        for (QProcess& p : programs)
            QTRY_VERIFY_WITH_TIMEOUT(p.peek(4096).contains("config"), waitMs);
        QVERIFY(!programs[0].waitForFinished(stayUpMs)); // and stays up
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(programs[i].state(), QProcess::Running);
            stopProcess(programs[i]);
            const QByteArray err = programs[i].readAllStandardError();
            QVERIFY2(err.contains(runs[i].section('|', 1, 1).toLatin1()) &&
                         !err.contains(runs[i].section('|', 2).toLatin1()),
                     err.constData());
        }
    }

    void answersTheStandInClient()
    {
        QVERIFY(writeTextFile(dir.filePath("zephra.keys"), "first\nsecond\nthird\n"));
        QVERIFY(writeTextFile(dir.filePath("tav.key"), "first\nsecond\nthird\n"));
        QProcess server, tavik;
        server.setWorkingDirectory(dir.path());
        server.start(builtProgram("../sim/server/zephra-server", "ZEPHRA_SERVER_EXE"),
                     {"--port", "0", "--keys", "zephra.keys"});
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), waitMs);
        const QList<QByteArray> words = server.readLine().trimmed().split(' ');
        QVERIFY(words.size() == 3 && words[0] == "listening");
        const quint16 port = quint16(words[2].toUInt());
        QVERIFY(writeTextFile(
            dir.filePath("config.cfg"),
            QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\nNAME_ON_ZEPHRA Tav2\n"
                    "KEY_ON_ZEPHRA tav.key\n")
                .arg(port)
                .toLatin1()));
        tavik.setWorkingDirectory(dir.path());
        tavik.start(tavikExe(), {"-platform", "offscreen", "-e"});
        QVERIFY(tavik.waitForStarted(waitMs));

        const QByteArray hello = "Tav2>ctrl1 @Hello Hello! I am Tav2. Nice to meet you!\n";
        QByteArray out;
        QDeadlineTimer deadline(loginWithinMs);
        while (out != hello && !deadline.hasExpired() && tavik.state() != QProcess::NotRunning)
            out = ask(port, {"--name", "ctrl1", "--to", "Tav2", "Hello"});
        QCOMPARE(out, hello);
        // Without units, as one request after the other to a sub-address.
        out = ask(
            port, {"--name", "ctrl2", "--to", "Tav2.dsp1"},
            "Help\nHelp Nope\n\nIsBusy\nGetMCALength\nGetPresetType\nGetPresetValue\nGetROIs\nGetRealTimes\n"
            "GetRealTime\nGetLiveTime\nGetHistgram 0\nSetROIs 1 2\nSetROIs 1 2 3\nStatus Mode\nRunStart "
            "3\nRunStop\nHVVol\n");
        QVERIFY2(out.startsWith("Tav2.dsp1>ctrl2 @Help Commands : Hello Help "), out.constData());
        QCOMPARE(out.mid(out.indexOf(" SetMeasTimeInSec\n")).replace("Tav2.dsp1>ctrl2 @", "@"),
                 QByteArray(
                     " SetMeasTimeInSec\n@Help Er: Command [Nope] not found.\n@IsBusy 0\n"
                     "@GetMCALength Er: No DSPs are managed\n@GetPresetType Er: No DSPs are managed\n"
                     "@GetPresetValue Er: No DSPs are managed\n@GetROIs \n@GetRealTimes \n@GetRealTime 0\n"
                     "@GetLiveTime 0\n@GetHistgram Er: Elment No.\n@SetROIs Ok:\n@SetROIs Er: num of params\n"
                     "@Status Er: No dsp of id dsp1\n@RunStart Ok:\n@RunStop Ok:\n"
                     "@HVVol Er: HV unit is not avaliable.\n"));
        // The client's script mode: one request after the other, each shown as it goes out;
        // a wait for an event that never comes ends it when the wait time is over.
        out = ask(port, {"--name", "ctrl3", "--to", "Tav2", "--script"},
                  "IsBusy\nHVStart\nwait Never\nHello\n");
        QCOMPARE(out, QByteArray("> IsBusy\nTav2>ctrl3 @IsBusy 0\n> HVStart\n"
                                 "Tav2>ctrl3 @HVStart Er: HV unit is not avaliable.\n"));
        QCOMPARE(tavik.state(), QProcess::Running);
        stopProcess(tavik);
        stopProcess(server);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
