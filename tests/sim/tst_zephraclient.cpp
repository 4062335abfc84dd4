#include "ZephraClient.h"
#include "sim/LineClient.h"
#include "sim/StandInServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The stand-in client against the stand-in server, with a test client as the asked node.
class TestZephraClient : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    QTemporaryDir dir;

    static ClientConfig clientConfig(quint16 port, QList<QByteArray> requests, int waitMs)
    {
        ClientConfig c;
        c.port = port;
        c.keyFile = "zephra.keys";
        c.requests = requests;
        c.waitMs = waitMs;
        return c;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("zephra.keys", "a\nb\nc\n"));
        QVERIFY(writeTextFile("other.keys", "x\n"));
    }

    void endsOnceEveryRequestIsAnswered()
    {
        StandInServer server(standInConfig("zephra.keys", -4));
        LineClient tavik;
        QVERIFY(tavik.open(server.port) && tavik.logIn("Tavik", "c"));
        ZephraClient client(clientConfig(server.port, {"Hello", "IsBusy 1"}, waitMs));
        QSignalSpy received(&client, &ZephraClient::received);
        QSignalSpy finished(&client, &ZephraClient::finished);
        client.start();
        QCOMPARE(tavik.readLine(), QByteArray("ctrl1>Tavik Hello\n"));
        QCOMPARE(tavik.readLine(), QByteArray("ctrl1>Tavik IsBusy 1\n"));
        tavik.send("Tavik>System _ChangedIsBusy 1\nTavik>ctrl1 @Hello hi\n");
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
        tavik.send("Tavik>ctrl1 @IsBusy 0\n");
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, waitMs);
        QCOMPARE(finished.at(0).at(0).toInt(), int(ZephraClient::AllAnswered));
        QCOMPARE(received.count(), 3);
        QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("Tavik>System _ChangedIsBusy 1"));
    }

    void failsWhenRefusedOrWithoutKeys()
    {
        StandInServer server(standInConfig("zephra.keys", 0));
        ClientConfig config = clientConfig(server.port, {"Hello"}, waitMs);
        config.keyFile = "other.keys";
        ZephraClient refused(config);
        QSignalSpy status(&refused, &ZephraClient::status);
        QSignalSpy finished(&refused, &ZephraClient::finished);
        refused.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, waitMs);
        QCOMPARE(finished.at(0).at(0).toInt(), int(ZephraClient::Failed));
        QCOMPARE(status.last().at(0).toString(), QString("refused: System>ctrl1 Er: Wrong key"));

        config.keyFile = "missing.keys";
        ZephraClient keyless(config);
        QSignalSpy keylessDone(&keyless, &ZephraClient::finished);
        keyless.start();
        QTRY_COMPARE_WITH_TIMEOUT(keylessDone.count(), 1, waitMs);
        QCOMPARE(keylessDone.at(0).at(0).toInt(), int(ZephraClient::Failed));
    }

    void timesOutWhenAnswersAreMissing()
    {
        StandInServer server(standInConfig("zephra.keys", 0));
        LineClient mute;
        QVERIFY(mute.open(server.port) && mute.logIn("Tavik", "a"));
        ZephraClient client(clientConfig(server.port, {"Hello"}, 200));
        QSignalSpy finished(&client, &ZephraClient::finished);
        client.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, waitMs);
        QCOMPARE(finished.at(0).at(0).toInt(), int(ZephraClient::TimedOut));
    }
};

QTEST_GUILESS_MAIN(TestZephraClient)
#include "tst_zephraclient.moc"
