#include "process/ReservedPort.h"
#include "sim/server/ZephraServerThread.h"
#include "tests/support/LineClient.h"
#include "zephra/History.h"
#include "zephra/LineBuffer.h"
#include "zephra/Zephra.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// The server client widget: the exact bytes it writes and accepts, seen from a fake server
// the test drives line by line (an over-long line included); its log-in against the stand-in
// server with the Connect button; connecting again by itself; the record of edited server
// addresses.
class TestZephra : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    QTemporaryDir dir;

    // A Zephra widget, connected to a server listening on `port` or else to a fake one.
    struct Client
    {
        explicit Client(quint16 port = 0, const QString& keyFile = "Tavik.key")
        {
            if (!port) fake.listen(QHostAddress::LocalHost, 0);
            zephra.setFields("127.0.0.1", QString::number(port ? port : fake.serverPort()), "Tavik", keyFile);
            QObject::connect(&zephra, &Zephra::log, [this](const QString& m) { logs << m; });
            if (port) return;
            zephra.connectToZephra();
            (void)QTest::qWaitFor([this]() { return fake.hasPendingConnections(); });
            peer = fake.nextPendingConnection();
        }
        QByteArray exchange(const QByteArray& line)
        {
            peer->write(line);
            (void)QTest::qWaitFor([this]() { return peer->canReadLine(); });
            return peer->readLine();
        }
        // The status label's text and colour, then the button's.
        QStringList looks() const
        {
            const auto* label = zephra.findChild<QLabel*>("statusL");
            return {label->text(), label->styleSheet(), button()->text(), button()->styleSheet()};
        }
        QString status() const { return looks().first(); }
        QPushButton* button() const { return zephra.findChild<QPushButton*>("connectB"); }

        QTcpServer fake;
        QTcpSocket* peer = nullptr;
        Zephra zephra;
        QStringList logs;
    };

    static QString keyLog(const char* text, const char* keyFile)
    {
        return QString("%1 [%2]").arg(text, QFileInfo(keyFile).absoluteFilePath());
    }

    // Waits of 10 ms doubling to 80; at the cap after three failures in a row.
    static bool waitsAtTheCap(const Client& c) { return c.zephra.retryWaitMs() >= 72; }
    static const inline QString lost =
        "Lost the connection to Zephra (The remote host closed the connection); connecting again by itself";
    static QString cannot(quint16 port, const QString& why)
    {
        return QString("Cannot log in to Zephra at 127.0.0.1:%1 (%2); trying again by itself")
            .arg(port)
            .arg(why);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("server.keys", "alpha\nbe ta\ngamma\n"));
    }

    void acceptsOnlyTheExactOkPrefix()
    {
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        // '+' marks the answers that let the client in
        for (const QByteArray row :
             {"+System>Tavik Ok: welcome home\n", "+System>Tavik Ok:\r\n", "-system>Tavik Ok:\n",
              "-System>Tavik Ok\n", "-System>Tavik2 Ok:\n", "- System>Tavik Ok:\n"}) {
            const bool accepted = row.startsWith('+');
            Client c;
            QSignalSpy verdict(&c.zephra, accepted ? &Zephra::zephraIsReady : &Zephra::zephraIsNotReady);
            QCOMPARE(c.exchange("0\n"), QByteArray("Tavik k\n"));
            c.peer->write(row.mid(1) + "5\n"); // what follows a refusal is no new challenge
            QTRY_COMPARE_WITH_TIMEOUT(verdict.count(), 1, waitMs);
            QCOMPARE(c.status(), QString(accepted ? "Connected" : "Retrying"));
            QVERIFY(accepted ||
                    QTest::qWaitFor([&]() { return c.peer->state() != QAbstractSocket::ConnectedState; }));
            QVERIFY(accepted || c.peer->readAll().isEmpty());
        }
    }

    void answersItselfAndDropsWhatIsNoMessage()
    {
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        Client c;
        QCOMPARE(c.exchange("0\n"), QByteArray("Tavik k\n"));
        c.peer->write("System>Tavik Ok:\n");
        QTRY_COMPARE_WITH_TIMEOUT(c.status(), QString("Connected"), waitMs);
        QSignalSpy asks(&c.zephra, &Zephra::anyAsk);
        QCOMPARE(
            c.exchange(
                "ctrl1>Tavik\nctrl1 Tavik Hello\nctrl1>Tavik \"\" Hello\n\n   \nctrl1>Tavik   IsBusy  \n"),
            QByteArray("Tavik>ctrl1 @IsBusy 0\n"));
        QCOMPARE(asks.count(), 0);
        QCOMPARE(c.exchange("ctrl1.a>Tavik.sub Hello\n"),
                 QByteArray("Tavik.sub>ctrl1.a @Hello Hello! I am Tavik. Nice to meet you!\n"));
        // Read as UTF-8, written as Latin-1.
        QCOMPARE(c.exchange("ctrl1>Tavik Help \xc3\xa9\r\n"),
                 QByteArray("Tavik>ctrl1 @Help Er: Command [\xe9] not found.\n"));
        QCOMPARE(c.exchange("ctrl1>Tavik Help \xe2\x9c\x93\n"),
                 QByteArray("Tavik>ctrl1 @Help Er: Command [?] not found.\n"));
        // A line far over the cap: dropped with a red line, the connection kept, and the next
        // line still arrives.
        QStringList red;
        connect(&c.zephra, &Zephra::log, [&red](const QString& m, const QColor& colour) {
            if (colour == QColor(255, 0, 0)) red << m;
        });
        c.peer->write("ctrl>Tavik " + QByteArray(3 * LineBuffer::maxLineBytes, 'w'));
        QCOMPARE(c.exchange("\nctrl1>Tavik IsBusy\n"), QByteArray("Tavik>ctrl1 @IsBusy 0\n"));
        QCOMPARE(red, QStringList("Er: 1 line(s) from Zephra longer than 65536 bytes dropped"));
    }

    void logsInWithTheConnectButton()
    {
        QVERIFY(writeTextFile("Tavik.key", "alpha\r\n be  ta \r\ngamma\r\n"));
        ZephraServerThread server(standInConfig("server.keys", 7));
        QVERIFY2(server.started, qPrintable(server.error));
        Client c(server.port);
        QSignalSpy ready(&c.zephra, &Zephra::zephraIsReady);
        QSignalSpy notReady(&c.zephra, &Zephra::zephraIsNotReady);
        QCOMPARE(c.looks(), (QStringList{"Disconnected", "background-color: rgb(176, 192, 192);", "Connect",
                                         "background-color: rgb(96, 255, 181);"}));
        c.button()->click();
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);
        QCOMPARE(c.logs, QStringList({keyLog("opening key file", "Tavik.key"), "sending key [Tavik][be ta]",
                                      "Connected To Zephra"}));
        QCOMPARE(c.looks(), (QStringList{"Connected", "background-color: rgb(211, 255, 241);", "Disconnect",
                                         "background-color: rgb(255, 255, 128);"}));
        c.button()->click();
        QCOMPARE(notReady.count(), 1);
        QCOMPARE(c.status(), QString("Disconnected"));
        QTRY_VERIFY_WITH_TIMEOUT(server.notes().contains("Tavik left"), waitMs);
        QCOMPARE(c.zephra.sendFrom("", "ctrl1", "X"), QString("Zephra is not ready (Tavik>ctrl1 X)"));
    }

    // Asked to connect, the client keeps at it, before the server is up and after it went
    // away: one log line for each change, none for each attempt.
    void logsInAgainByItself()
    {
        QVERIFY(writeTextFile("Tavik.key", "alpha\nbe ta\ngamma\n"));
        ServerConfig config = standInConfig("server.keys", 7);
        const ReservedPort nobodyYet; // the server listens there later
        config.port = nobodyYet.port();
        Client c(config.port);
        c.zephra.setRetryTiming({10, 80, waitMs});
        QSignalSpy ready(&c.zephra, &Zephra::zephraIsReady);
        const QString down = cannot(config.port, "Connection refused");
        c.button()->click();
        QTRY_VERIFY_WITH_TIMEOUT(waitsAtTheCap(c), waitMs);
        QCOMPARE(c.looks(), (QStringList{"Retrying", "background-color: rgb(255, 192, 192);", "Disconnect",
                                         "background-color: rgb(255, 255, 128);"}));
        auto server = std::make_unique<ZephraServerThread>(config);
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);
        server.reset();
        QTRY_VERIFY_WITH_TIMEOUT(c.logs.count(down) == 2 && waitsAtTheCap(c), waitMs);
        server = std::make_unique<ZephraServerThread>(config);
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 2, waitMs);
        QCOMPARE(c.logs, QStringList({down, "Connected To Zephra", lost, down, "Connected To Zephra"}));
        LineClient ctrl;
        QVERIFY(ctrl.open(config.port) && ctrl.logIn("ctrl1", "be ta"));
        ctrl.send("ctrl1>Tavik Hello\n");
        QCOMPARE(ctrl.readLine(), QByteArray("Tavik>ctrl1 @Hello Hello! I am Tavik. Nice to meet you!\n"));
    }

    // Attempts that fail at the server wait longer each time, whatever the failure, until the
    // operator disconnects; Connect starts again from the first wait. Only the operator's
    // attempt logs its key steps.
    void retriesWithGrowingWaits_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<int>("attemptMs");
        QTest::addColumn<QString>("line"); // logged once, or once per log-in when they do not last
        QTest::addColumn<QStringList>("keySteps");
        const QString missing = QFileInfo("missing.key").absoluteFilePath();
        QTest::newRow("no key: refused")
            << "refuses" << waitMs << "log-in refused: System>? Er: No log-in reply in time"
            << QStringList{"opening key file [" + missing + "]", "Can't open key file [" + missing + "]",
                           "I have no key to exchange with Zephra."};
        QTest::newRow("server silent") << "silent" << 100 << "no log-in within 0.1 s" << QStringList();
        QTest::newRow("log-ins that do not last")
            << "drops" << waitMs << lost
            << QStringList{keyLog("opening key file", "Tavik.key"), "sending key [Tavik][k]"};
    }
    void retriesWithGrowingWaits()
    {
        QFETCH(QString, peer);
        QFETCH(int, attemptMs);
        QFETCH(QString, line);
        QFETCH(QStringList, keySteps);
        QVERIFY(writeTextFile("Tavik.key", "k\n"));
        ZephraServerThread refusing(standInConfig("server.keys", 0, 1000));
        QTcpServer fake; // takes connections and says nothing, or lets in and closes at once
        QVERIFY(fake.listen(QHostAddress::LocalHost));
        QObject::connect(&fake, &QTcpServer::newConnection, [&]() {
            for (QTcpSocket* s; peer == "drops" && (s = fake.nextPendingConnection());) {
                s->write("0\n");
                QObject::connect(s, &QTcpSocket::readyRead, s, [s]() {
                    s->write("System>Tavik Ok:\n");
                    s->disconnectFromHost();
                });
            }
        });
        const quint16 port = peer == "refuses" ? refusing.port : fake.serverPort();
        Client c(port, peer == "refuses" ? "missing.key" : "Tavik.key");
        c.zephra.setRetryTiming({10, 80, attemptMs});
        if (!line.startsWith("Lost")) line = cannot(port, line);
        c.button()->click();
        if (peer == "refuses") { // the server's verdict is awaited; a click meanwhile changes nothing
            QTRY_COMPARE_WITH_TIMEOUT(c.looks(),
                                      (QStringList{"Connecting", "background-color: rgb(255, 243, 162);",
                                                   "Connecting", "background-color: rgb(240, 240, 240);"}),
                                      waitMs);
            c.button()->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(waitsAtTheCap(c), waitMs);
        QCOMPARE(c.logs.count(line), peer == "drops" ? qMax(3, c.logs.count("Connected To Zephra")) : 1);
        QCOMPARE(c.logs.filter("key"), keySteps);
        c.button()->click();
        QCOMPARE(QString("%1|%2|%3").arg(c.status(), c.logs.last()).arg(c.zephra.retryWaitMs()),
                 QString("Disconnected|Stopped connecting to Zephra|0"));
        c.zephra.setRetryTiming({60000, 480000, attemptMs});
        c.button()->click();
        QTRY_VERIFY_WITH_TIMEOUT(c.zephra.retryWaitMs() > 0, waitMs);
        QVERIFY(c.zephra.retryWaitMs() <= 60000);
        QCOMPARE(c.logs.last(), line);
    }

    void historyRecordsEditedAddresses()
    {
        QString host = "x", port = "y";
        History::parse({"A: one", "a:   10.0.0.1  extra", "P:", "X: 1", "", "p: 7000", "A:two"}, host, port);
        QCOMPARE(host + ' ' + port, QString("10.0.0.1 7000")); // the last entry of each kind
        Zephra z;
        z.setFields("h0", "6057", "Tavik", "Tavik.key"); // no edit: nothing recorded
        History::read(host, port);
        QCOMPARE(host, QString("10.0.0.1")); // no file: unchanged
        for (const QString edit :
             {"hostLE=A", "hostLE=A", "portLE=7000", "hostLE=B", "portLE=7000", "hostLE=A"}) {
            auto* field = z.findChild<QLineEdit*>(edit.section('=', 0, 0));
            field->setText(edit.section('=', 1));
            Q_EMIT field->editingFinished();
        }
        QFile f(History::fileName);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("A: A\nP: 7000\nA: B\nA: A\n"));
        QVERIFY(writeTextFile(History::fileName, "P: 1\r\n"));
        History::read(host, port);
        QCOMPARE(host + '|' + port, QString("|1"));
    }
};

QTEST_MAIN(TestZephra)
#include "tst_zephra.moc"
