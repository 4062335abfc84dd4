#include "sim/server/ZephraServerThread.h"
#include "tests/support/LineClient.h"

#include <QTemporaryDir>
#include <QtTest>

// The stand-in message server on its own: log-in by key challenge, relaying, and the lines
// it drops.
class TestZephraServer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("three.keys", "alpha\n  beta  \ngamma\n") && writeTextFile("empty.keys", ""));
        ZephraServerThread missing(standInConfig("missing.keys", 0));
        QVERIFY(!missing.started);
        QVERIFY2(missing.error.contains("missing.keys"), qPrintable(missing.error));
    }

    void relaysRequestsAnswersAndEvents()
    {
        ZephraServerThread server(standInConfig("three.keys", 7));
        QVERIFY2(server.started, qPrintable(server.error));
        LineClient a, b, c;
        QVERIFY(a.open(server.port) && b.open(server.port) && c.open(server.port));
        QVERIFY(b.logIn("Tavik", "beta") && c.logIn("ctrl2", "beta"));
        QCOMPARE(a.readLine(), QByteArray("7\n"));
        a.send("ctrl1 beta\n");
        QCOMPARE(a.readLine(), QByteArray("System>ctrl1 Ok: welcome\n"));
        // Unchanged: sub-addresses, a CR, bytes that are no ASCII.
        a.send("ctrl1.s>Tavik.dsp1 Hello \xc3\xa9\r\n");
        QCOMPARE(b.readLine(), QByteArray("ctrl1.s>Tavik.dsp1 Hello \xc3\xa9\r\n"));
        // Events go to every other client, not back to their sender.
        b.send("Tavik>System _ChangedIsBusy 1\n");
        QCOMPARE(a.readLine(), QByteArray("Tavik>System _ChangedIsBusy 1\n"));
        QCOMPARE(c.readLine(), QByteArray("Tavik>System _ChangedIsBusy 1\n"));
        QCOMPARE(b.socket.bytesAvailable(), 0);
        // Only requests to unknown nodes are answered by the server.
        a.send("ctrl1>Ghost @Hello hi\nctrl1>Ghost _Ev 1\nctrl1.x>Ghost.y Hello 1 2\n");
        QCOMPARE(a.readLine(), QByteArray("System>ctrl1.x @Hello Er: Unknown node [Ghost]\n"));
        // Lines that are no messages, or that claim another sender, are dropped.
        const int dropped = server.notes().filter("dropped").size();
        a.send("ctrl2>ctrl1 Hello\nctrl1>ctrl2\nctrl1 ctrl2 Hello\n\nctrl1>ctrl2 Hello\n");
        QCOMPARE(c.readLine(), QByteArray("ctrl1>ctrl2 Hello\n"));
        QCOMPARE(server.notes().filter("dropped").size(), dropped + 4);
        a.send(QByteArray(ZephraServer::maxLineBytes + 10, 'x'));
        QVERIFY(a.closedByPeer());
    }

    void logInRules()
    {
        // key file|challenge|first line|answer: 7 mod 3 picks key 1, -7 picks key 2
        const QString wrong = "System>ctrl1 Er: Wrong key";
        const QStringList rows = {"three.keys|7|ctrl1 alpha|" + wrong, "three.keys|-7|ctrl1 beta|" + wrong,
                                  "three.keys|-7|ctrl1 gamma|System>ctrl1 Ok: welcome",
                                  "empty.keys|0|ctrl1 |" + wrong,
                                  "three.keys|0|ctrl1>Tavik Hello|System>? Er: Log-in needs \"name key\""};
        for (const QString& row : rows) {
            ZephraServerThread server(standInConfig(row.section('|', 0, 0), row.section('|', 1, 1).toInt()));
            LineClient a;
            QVERIFY(a.open(server.port));
            QCOMPARE(a.readLine(), row.section('|', 1, 1).toLatin1() + '\n');
            a.send(row.section('|', 2, 2).toLatin1() + "\nctrl1>ctrl1 Hello\n");
            QCOMPARE(a.readLine(), row.section('|', 3).toLatin1() + '\n');
            QVERIFY(row.contains("Ok:") || (a.closedByPeer() && a.socket.readAll().isEmpty()));
        }
        ZephraServerThread server(standInConfig("three.keys", 0, 200));
        LineClient silent;
        QVERIFY(silent.open(server.port));
        QCOMPARE(silent.readLine(), QByteArray("0\n"));
        QCOMPARE(silent.readLine(), QByteArray("System>? Er: No log-in reply in time\n"));
        QVERIFY(silent.closedByPeer());
    }

    void keepsTheFirstOwnerOfAName()
    {
        ZephraServerThread server(standInConfig("three.keys", 0));
        LineClient first, second, other, third;
        QVERIFY(first.open(server.port) && first.logIn("Tavik", "alpha"));
        QVERIFY(second.open(server.port));
        QVERIFY(!second.logIn("Tavik", "alpha"));
        QVERIFY(second.closedByPeer());
        QVERIFY(other.open(server.port) && other.logIn("ctrl1", "alpha"));
        other.send("ctrl1>Tavik Hello\n");
        QCOMPARE(first.readLine(), QByteArray("ctrl1>Tavik Hello\n"));
        // Once the owner has gone the name is free again.
        first.socket.disconnectFromHost();
        QVERIFY(third.open(server.port));
        QTRY_VERIFY_WITH_TIMEOUT(server.notes().contains("Tavik left"), LineClient::waitMs);
        QVERIFY(third.logIn("Tavik", "alpha"));
    }
};

QTEST_GUILESS_MAIN(TestZephraServer)
#include "tst_zephraserver.moc"
