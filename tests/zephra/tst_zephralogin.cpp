#include "sim/LineClient.h"
#include "sim/StandInServer.h"
#include "zephra/Zephra.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Log-in of the server client against the stand-in server, and the Connect button.
class TestZephraLogin : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    QTemporaryDir dir;

    struct Client
    {
        explicit Client(quint16 port, const QString& keyFile = "Tavik.key")
        {
            zephra.setFields("127.0.0.1", QString::number(port), "Tavik", keyFile);
            QObject::connect(&zephra, &Zephra::log, [this](const QString& m) { logs << m; });
        }
        QString status() const { return zephra.findChild<QLabel*>("statusL")->text(); }
        QPushButton* button() const { return zephra.findChild<QPushButton*>("connectB"); }

        Zephra zephra;
        QStringList logs;
    };

    static QString abs(const QString& name) { return QFileInfo(name).absoluteFilePath(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("server.keys", "alpha\nbeta\ngamma\n"));
        QVERIFY(writeTextFile("Tavik.key", "alpha\r\n beta \r\ngamma\r\n"));
        QVERIFY(writeTextFile("wrong.key", "delta\nepsilon\n"));
        QVERIFY(writeTextFile("empty.key", ""));
    }

    void logsInWithTheKeyOfTheChallenge_data()
    {
        QTest::addColumn<int>("challenge");
        QTest::addColumn<QString>("key");
        QTest::newRow("7 of 3 keys") << 7 << "beta";
        QTest::newRow("-7 of 3 keys") << -7 << "gamma";
    }

    void logsInWithTheKeyOfTheChallenge()
    {
        QFETCH(int, challenge);
        QFETCH(QString, key);
        StandInServer server(standInConfig("server.keys", challenge));
        QVERIFY2(server.started, qPrintable(server.error));
        Client c(server.port);
        QSignalSpy ready(&c.zephra, &Zephra::zephraIsReady);
        c.zephra.connectToZephra();
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);
        QCOMPARE(c.logs, QStringList({QString("opening key file [%1]").arg(abs("Tavik.key")),
                                      QString("sending key [Tavik][%1]").arg(key), "Connected To Zephra"}));
        QCOMPARE(c.status(), QString("Connected"));
        QCOMPARE(c.button()->text(), QString("Disconnect"));
    }

    void isRefusedWithAWrongKey()
    {
        StandInServer server(standInConfig("server.keys", 0));
        Client c(server.port, "wrong.key");
        QSignalSpy notReady(&c.zephra, &Zephra::zephraIsNotReady);
        c.zephra.connectToZephra();
        QTRY_COMPARE_WITH_TIMEOUT(notReady.count(), 1, waitMs);
        QCOMPARE(c.logs.last(), QString("sending key [Tavik][delta]"));
        QVERIFY(!c.logs.contains("Connected To Zephra"));
        QCOMPARE(c.status(), QString("Disconnected"));
        QCOMPARE(c.zephra.sendFrom("", "ctrl1", "X"), QString("Zephra is not ready (Tavik>ctrl1 X)"));
    }

    void withoutKeysSendsNothingAndWaitsForTheRefusal_data()
    {
        QTest::addColumn<QString>("keyFile");
        QTest::addColumn<QStringList>("logs");
        const QString noKey = "I have no key to exchange with Zephra.";
        QTest::newRow("missing") << "missing.key"
                                 << QStringList({QString("opening key file [%1]").arg(abs("missing.key")),
                                                 QString("Can't open key file [%1]").arg(abs("missing.key")),
                                                 noKey});
        QTest::newRow("empty") << "empty.key"
                               << QStringList(
                                      {QString("opening key file [%1]").arg(abs("empty.key")), noKey});
    }

    void withoutKeysSendsNothingAndWaitsForTheRefusal()
    {
        QFETCH(QString, keyFile);
        StandInServer server(standInConfig("server.keys", 0, 300));
        Client c(server.port, keyFile);
        QSignalSpy notReady(&c.zephra, &Zephra::zephraIsNotReady);
        c.zephra.connectToZephra();
        QTRY_COMPARE_WITH_TIMEOUT(c.status(), QString("Connecting"), waitMs);
        QTEST(c.logs, "logs");
        QTRY_COMPARE_WITH_TIMEOUT(notReady.count(), 1, waitMs);
        QCOMPARE(c.status(), QString("Disconnected"));
        QVERIFY(server.notes().contains("refused ?: No log-in reply in time"));
    }

    void connectButtonInEachState()
    {
        StandInServer server(standInConfig("server.keys", 1));
        Client c(server.port);
        QSignalSpy ready(&c.zephra, &Zephra::zephraIsReady);
        QSignalSpy notReady(&c.zephra, &Zephra::zephraIsNotReady);
        QCOMPARE(c.button()->text(), QString("Connect"));
        QCOMPARE(c.button()->styleSheet(), QString("background-color: rgb(96, 255, 181);"));
        QCOMPARE(c.zephra.findChild<QLabel*>("statusL")->styleSheet(),
                 QString("background-color: rgb(176, 192, 192);"));

        c.button()->click();
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, waitMs);
        QCOMPARE(c.button()->styleSheet(), QString("background-color: rgb(255, 255, 128);"));
        QCOMPARE(c.zephra.findChild<QLabel*>("statusL")->styleSheet(),
                 QString("background-color: rgb(211, 255, 241);"));

        c.button()->click();
        QCOMPARE(notReady.count(), 1);
        QCOMPARE(c.status(), QString("Disconnected"));
        QTRY_VERIFY_WITH_TIMEOUT(server.notes().contains("Tavik left"), waitMs);

        // Waiting for the server's verdict, a click leaves the log-in going.
        StandInServer slow(standInConfig("server.keys", 1, 60000));
        Client w(slow.port, "missing.key");
        w.button()->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), QString("Connecting"), waitMs);
        QCOMPARE(w.button()->text(), QString("Connecting"));
        QCOMPARE(w.button()->styleSheet(), QString("background-color: rgb(240, 240, 240);"));
        QSignalSpy wNotReady(&w.zephra, &Zephra::zephraIsNotReady);
        w.button()->click();
        QTest::qWait(100);
        QCOMPARE(w.status(), QString("Connecting"));
        QCOMPARE(wNotReady.count(), 0);
        QCOMPARE(slow.notes().filter("connection from").size(), 1);
    }
};

QTEST_MAIN(TestZephraLogin)
#include "tst_zephralogin.moc"
