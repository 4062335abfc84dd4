#include "sim/LineClient.h"
#include "sim/StandInServer.h"

#include <QTemporaryDir>
#include <QtTest>

// The stand-in message server, over loopback TCP.
class TestZephraServer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("three.keys", "alpha\n  beta  \ngamma\n"));
        QVERIFY(writeTextFile("empty.keys", ""));
    }

    void acceptsTheKeyOfTheChallengeAndRelays()
    {
        StandInServer server(standInConfig("three.keys", 7));
        QVERIFY2(server.started, qPrintable(server.error));
        LineClient a, b;
        QVERIFY(a.open(server.port) && b.open(server.port));
        QCOMPARE(a.readLine(), QByteArray("7\n"));
        a.send("ctrl1 beta\n");
        QCOMPARE(a.readLine(), QByteArray("System>ctrl1 Ok: welcome\n"));
        QVERIFY(b.logIn("Tavik", "beta"));

        // Unchanged: sub-addresses, a CR, bytes that are no ASCII.
        a.send("ctrl1.s>Tavik.dsp1 Hello \xc3\xa9\r\n");
        QCOMPARE(b.readLine(), QByteArray("ctrl1.s>Tavik.dsp1 Hello \xc3\xa9\r\n"));
        b.send("Tavik>ctrl1.s @Hello hi\n");
        QCOMPARE(a.readLine(), QByteArray("Tavik>ctrl1.s @Hello hi\n"));

        // Events go to every other client, not back to their sender.
        LineClient c;
        QVERIFY(c.open(server.port) && c.logIn("ctrl2", "beta"));
        b.send("Tavik>System _ChangedIsBusy 1\n");
        QCOMPARE(a.readLine(), QByteArray("Tavik>System _ChangedIsBusy 1\n"));
        QCOMPARE(c.readLine(), QByteArray("Tavik>System _ChangedIsBusy 1\n"));
        b.send("Tavik>ctrl2 @X 1\n");
        QCOMPARE(c.readLine(), QByteArray("Tavik>ctrl2 @X 1\n"));
        QCOMPARE(b.socket.bytesAvailable(), 0);
    }

    void refusesWrongKeysAndCloses_data()
    {
        QTest::addColumn<QString>("keyFile");
        QTest::addColumn<int>("challenge");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("key of 7 mod 3 = 1, not 0")
            << "three.keys" << 7 << QByteArray("ctrl1 alpha\n") << QByteArray("System>ctrl1 Er: Wrong key\n");
        QTest::newRow("-7 picks 2, not 1")
            << "three.keys" << -7 << QByteArray("ctrl1 beta\n") << QByteArray("System>ctrl1 Er: Wrong key\n");
        QTest::newRow("no keys at all")
            << "empty.keys" << 0 << QByteArray("ctrl1 \n") << QByteArray("System>ctrl1 Er: Wrong key\n");
        QTest::newRow("message as first line") << "three.keys" << 0 << QByteArray("ctrl1>Tavik Hello\n")
                                               << QByteArray("System>? Er: Log-in needs \"name key\"\n");
    }

    void refusesWrongKeysAndCloses()
    {
        QFETCH(QString, keyFile);
        QFETCH(int, challenge);
        QFETCH(QByteArray, reply);
        StandInServer server(standInConfig(keyFile, challenge));
        QVERIFY2(server.started, qPrintable(server.error));
        LineClient a;
        QVERIFY(a.open(server.port));
        QCOMPARE(a.readLine(), QByteArray::number(challenge) + '\n');
        a.send(reply + "ctrl1>ctrl1 Hello\n");
        QTEST(a.readLine(), "answer");
        QVERIFY(a.closedByPeer());
        QVERIFY(a.socket.readAll().isEmpty());
    }

    void negativeChallengeAcceptsTheNonNegativeRemainder()
    {
        StandInServer server(standInConfig("three.keys", -7));
        LineClient a;
        QVERIFY(a.open(server.port) && a.logIn("ctrl1", "gamma"));
    }

    void closesSilentClientsAfterTheLogInTime()
    {
        StandInServer server(standInConfig("three.keys", 0, 200));
        LineClient a;
        QVERIFY(a.open(server.port));
        QCOMPARE(a.readLine(), QByteArray("0\n"));
        QCOMPARE(a.readLine(), QByteArray("System>? Er: No log-in reply in time\n"));
        QVERIFY(a.closedByPeer());
    }

    void keepsTheFirstOwnerOfAName()
    {
        StandInServer server(standInConfig("three.keys", 0));
        LineClient first, second, other;
        QVERIFY(first.open(server.port) && first.logIn("Tavik", "alpha"));
        QVERIFY(second.open(server.port));
        QVERIFY(!second.logIn("Tavik", "alpha"));
        QVERIFY(second.closedByPeer());
        QVERIFY(other.open(server.port) && other.logIn("ctrl1", "alpha"));
        other.send("ctrl1>Tavik Hello\n");
        QCOMPARE(first.readLine(), QByteArray("ctrl1>Tavik Hello\n"));

        // Once the owner has gone the name is free again.
        first.socket.disconnectFromHost();
        LineClient third;
        QVERIFY(third.open(server.port));
        QVERIFY(LineClient::spinUntil([&]() { return server.notes().contains("Tavik left"); }));
        QVERIFY(third.logIn("Tavik", "alpha"));
    }

    void answersRequestsForUnknownNodesOnly()
    {
        StandInServer server(standInConfig("three.keys", 0));
        LineClient a;
        QVERIFY(a.open(server.port) && a.logIn("ctrl1", "alpha"));
        a.send("ctrl1>Ghost @Hello hi\n");
        a.send("ctrl1>Ghost _Ev 1\n");
        a.send("ctrl1.x>Ghost.y Hello 1 2\n");
        QCOMPARE(a.readLine(), QByteArray("System>ctrl1.x @Hello Er: Unknown node [Ghost]\n"));
    }

    void dropsMalformedAndForgedLines()
    {
        StandInServer server(standInConfig("three.keys", 0));
        LineClient a, b;
        QVERIFY(a.open(server.port) && a.logIn("ctrl1", "alpha"));
        QVERIFY(b.open(server.port) && b.logIn("ctrl2", "alpha"));
        a.send("ctrl2>ctrl1 Hello\n");
        a.send("ctrl1>ctrl2\n");
        a.send("ctrl1 ctrl2 Hello\n");
        a.send("\n");
        a.send("ctrl1>ctrl2 Hello\n");
        QCOMPARE(b.readLine(), QByteArray("ctrl1>ctrl2 Hello\n"));
        QCOMPARE(server.notes().filter("dropped").size(), 4);
    }

    void closesOnOverlongLines()
    {
        StandInServer server(standInConfig("three.keys", 0));
        LineClient a;
        QVERIFY(a.open(server.port) && a.logIn("ctrl1", "alpha"));
        a.send(QByteArray(ZephraServer::maxLineBytes + 10, 'x'));
        QVERIFY(a.closedByPeer());
    }

    void failsToStartWithoutKeyFile()
    {
        StandInServer server(standInConfig("missing.keys", 0));
        QVERIFY(!server.started);
        QVERIFY2(server.error.contains("missing.keys"), qPrintable(server.error));
    }
};

QTEST_GUILESS_MAIN(TestZephraServer)
#include "tst_zephraserver.moc"
