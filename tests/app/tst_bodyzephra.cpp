#include "app/Body.h"
#include "config/ConfigStore.h"
#include "sim/LineClient.h"
#include "sim/StandInServer.h"
#include "zephra/History.h"
#include "zephra/Zephra.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

// The main window's set-up of the server client, from the configuration on.
class TestBodyZephra : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    QTemporaryDir dir;
    quint16 port = 0;

    template <typename T> static T* child(QObject& parent, const char* name)
    {
        T* found = parent.findChild<T*>(name);
        if (!found) qFatal("no child %s", name);
        return found;
    }

    static QTextBlock logLine(Body& body, const QString& text)
    {
        const QTextDocument* doc = child<LogArea>(body, "Log")->display()->document();
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
            if (b.text() == text) return b;
        return QTextBlock();
    }

    static QColor colourOf(const QTextBlock& b)
    {
        return b.begin().fragment().charFormat().foreground().color();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QVERIFY(writeTextFile("zephra.keys", "k0\nk1\n"));
        QVERIFY(writeTextFile("tav.key", "k0\nk1\n"));
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        configStore.add("ZEPHRA_IP", "127.0.0.1", " 127.0.0.1");
        configStore.add("zephra_port", QString::number(port), " " + QString::number(port));
        configStore.add("NAME_ON_ZEPHRA", "Tav2", " Tav2");
        configStore.add("KEY_ON_ZEPHRA", "tav.key", " tav.key");
        configStore.add("CONNECT_TO_ZEPHRA", "1", " 1");
        configStore.add("RECORD_MSG_TO_ZEPHRA", "1", " 1");
        configStore.add("RECORD_MSG_FROM_ZEPHRA", "2", " 2");
    }

    void setsUpFromConfigurationAndConnectsOnceTheServerIsUp()
    {
        Body body;
        Zephra* zephra = child<Zephra>(body, "ZephraUi");
        QSignalSpy socketNews(zephra, &Zephra::vlog);
        QCOMPARE(child<QLineEdit>(body, "hostLE")->text(), QString("127.0.0.1"));
        QCOMPARE(child<QLineEdit>(body, "portLE")->text(), QString::number(port));
        QCOMPARE(child<QLineEdit>(body, "nameOnZephraLE")->text(), QString("Tav2"));
        QCOMPARE(child<QLineEdit>(body, "keyFileLE")->text(), QString("tav.key"));
        QVERIFY(child<QCheckBox>(body, "LogMsgToZephra")->isChecked());
        QVERIFY(!child<QCheckBox>(body, "LogMsgFromZephra")->isChecked());
        QVERIFY(!QFile::exists(History::fileName));

        // Nobody listens yet: the attempt fails quietly and the window goes on.
        QTRY_VERIFY_WITH_TIMEOUT(socketNews.count() > 0, waitMs);
        QCOMPARE(child<QLabel>(body, "statusL")->text(), QString("Disconnected"));

        ServerConfig config = standInConfig("zephra.keys", 1);
        config.port = port;
        StandInServer server(config);
        QVERIFY2(server.started, qPrintable(server.error));
        child<QPushButton>(body, "connectB")->click();
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(body, "statusL")->text(), QString("Connected"), waitMs);
        QVERIFY(logLine(body, "sending key [Tav2][k1]").isValid());
        QVERIFY(logLine(body, "Connected To Zephra").isValid());

        LineClient ctrl;
        QVERIFY(ctrl.open(server.port) && ctrl.logIn("ctrl1", "k1"));
        ctrl.send("ctrl1>Tav2 GetMCALength 1\n");
        QCOMPARE(ctrl.readLine(), QByteArray("Tav2>ctrl1 @GetMCALength Er: Number of Params shuld be 0\n"));
        const QTextBlock sent =
            logLine(body, "---- Snd Tav2>ctrl1 @GetMCALength Er: Number of Params shuld be 0");
        QVERIFY(sent.isValid());
        QCOMPARE(colourOf(sent), QColor(0, 200, 120));
        QVERIFY(!logLine(body, ":::: Rcv ctrl1>Tav2 GetMCALength 1").isValid());

        child<QCheckBox>(body, "LogMsgFromZephra")->setChecked(true);
        child<QCheckBox>(body, "LogMsgToZephra")->setChecked(false);
        ctrl.send("ctrl1>Tav2   Nope  \r\n");
        QCOMPARE(ctrl.readLine(), QByteArray("Tav2>ctrl1 @Nope Er: Unknown Command\n"));
        const QTextBlock received = logLine(body, ":::: Rcv ctrl1>Tav2   Nope  ");
        QVERIFY(received.isValid());
        QCOMPARE(colourOf(received), QColor(200, 120, 0));
        QVERIFY(logLine(body, "**** Er: Nope").isValid());
        QVERIFY(!logLine(body, "---- Snd Tav2>ctrl1 @Nope Er: Unknown Command").isValid());
    }
};

QTEST_MAIN(TestBodyZephra)
#include "tst_bodyzephra.moc"
