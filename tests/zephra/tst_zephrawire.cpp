#include "sim/LineClient.h"
#include "zephra/Zephra.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// The exact bytes the server client writes and accepts, seen from a fake server that the
// test drives line by line.
class TestZephraWire : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    QTemporaryDir dir;

    // A server end of one connection from a Zephra widget.
    struct Link
    {
        Link()
        {
            listener.listen(QHostAddress::LocalHost, 0);
            zephra.setFields("127.0.0.1", QString::number(listener.serverPort()), "Tavik", "Tavik.key");
            zephra.connectToZephra();
            LineClient::spinUntil([this]() { return listener.hasPendingConnections(); });
            peer = listener.nextPendingConnection();
        }
        QByteArray readLine(int timeoutMs = waitMs)
        {
            LineClient::spinUntil([this]() { return peer->canReadLine(); }, timeoutMs);
            return peer->canReadLine() ? peer->readLine() : QByteArray();
        }
        void send(const QByteArray& bytes) { peer->write(bytes); }
        bool logIn()
        {
            send("0\n");
            if (readLine().isEmpty()) return false;
            send("System>Tavik Ok:\n");
            return LineClient::spinUntil([this]() { return status() == "Connected"; });
        }
        QString status() const { return zephra.findChild<QLabel*>("statusL")->text(); }

        QTcpServer listener;
        Zephra zephra;
        QTcpSocket* peer = nullptr;
    };

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
    }

    void sendsNameAndTheChosenKey_data()
    {
        QTest::addColumn<QByteArray>("keyFile");
        QTest::addColumn<QByteArray>("challenge");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("7 of 3") << QByteArray("a\nb  c\nd\n") << QByteArray("7\n")
                                << QByteArray("Tavik b c\n");
        QTest::newRow("-7 of 3") << QByteArray("a\nb\nd\n") << QByteArray(" -7 \r\n")
                                 << QByteArray("Tavik d\n");
        QTest::newRow("-1 of 1") << QByteArray("only\n") << QByteArray("-1\n") << QByteArray("Tavik only\n");
        QTest::newRow("no number") << QByteArray("a\nb\n") << QByteArray("x9\n") << QByteArray("Tavik a\n");
        QTest::newRow("blank key") << QByteArray("a\n\nd\n") << QByteArray("4\n") << QByteArray("Tavik \n");
    }

    void sendsNameAndTheChosenKey()
    {
        QFETCH(QByteArray, keyFile);
        QFETCH(QByteArray, challenge);
        QVERIFY(writeTextFile("Tavik.key", keyFile));
        Link link;
        QVERIFY(link.peer);
        link.send(challenge);
        QTEST(link.readLine(), "reply");
        QCOMPARE(link.status(), QString("Connecting"));
    }

    void acceptsOnlyTheExactOkPrefix_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Ok: and more") << QByteArray("System>Tavik Ok: welcome home\n") << true;
        QTest::newRow("bare Ok:") << QByteArray("System>Tavik Ok:\r\n") << true;
        QTest::newRow("lower-case system") << QByteArray("system>Tavik Ok:\n") << false;
        QTest::newRow("no colon") << QByteArray("System>Tavik Ok\n") << false;
        QTest::newRow("other name") << QByteArray("System>Tavik2 Ok:\n") << false;
        QTest::newRow("leading blank") << QByteArray(" System>Tavik Ok:\n") << false;
    }

    void acceptsOnlyTheExactOkPrefix()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, accepted);
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        Link link;
        QSignalSpy ready(&link.zephra, &Zephra::zephraIsReady);
        QSignalSpy notReady(&link.zephra, &Zephra::zephraIsNotReady);
        link.send("0\n");
        QCOMPARE(link.readLine(), QByteArray("Tavik k\n"));
        // What follows a refusal in the same packet is no new challenge.
        link.send(answer + "5\n");
        if (accepted) {
            QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);
            QCOMPARE(link.status(), QString("Connected"));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(notReady.count(), 1, waitMs);
            QCOMPARE(link.status(), QString("Disconnected"));
            QVERIFY(LineClient::spinUntil(
                [&]() { return link.peer->state() != QAbstractSocket::ConnectedState; }));
            QVERIFY(link.peer->readAll().isEmpty());
        }
    }

    void dropsLinesThatAreNoMessages()
    {
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        Link link;
        QVERIFY(link.logIn());
        QSignalSpy asks(&link.zephra, &Zephra::anyAsk);
        link.send("ctrl1>Tavik\nctrl1 Tavik Hello\nctrl1>Tavik \"\" Hello\n\n   \nctrl1>Tavik   IsBusy  \n");
        QCOMPARE(link.readLine(), QByteArray("Tavik>ctrl1 @IsBusy 0\n"));
        QCOMPARE(asks.count(), 0);
    }

    void readsUtf8AndWritesLatin1()
    {
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        Link link;
        QVERIFY(link.logIn());
        link.send("ctrl1>Tavik Help \xc3\xa9\r\n");
        QCOMPARE(link.readLine(), QByteArray("Tavik>ctrl1 @Help Er: Command [\xe9] not found.\n"));
        link.send("ctrl1>Tavik Help \xe2\x9c\x93\n");
        QCOMPARE(link.readLine(), QByteArray("Tavik>ctrl1 @Help Er: Command [?] not found.\n"));
        link.send(QByteArray("ctrl1>Tavik IsBusy\0 Help\n", 25));
        QCOMPARE(link.readLine(), QByteArray("Tavik>ctrl1 @IsBusy 0\n"));
        link.send("ctrl1>Tavik Hel\rlo\r\r\n");
        QCOMPARE(link.readLine(), QByteArray("Tavik>ctrl1 @Hello Hello! I am Tavik. Nice to meet you!\n"));
    }
};

QTEST_MAIN(TestZephraWire)
#include "tst_zephrawire.moc"
