#include "tests/support/LineClient.h"
#include "zephra/Zephra.h"
#include "zephra/ZephraWire.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// Answers written straight to the connection or built from Latin-1 bytes must be the very
// bytes the text path makes, and must keep their order when the connection cannot take
// them at once.
class TestAnswerBytes : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    struct Link
    {
        QTcpServer listener;
        Zephra zephra;
        QTcpSocket* peer = nullptr;

        bool logIn()
        {
            listener.listen(QHostAddress::LocalHost, 0);
            zephra.setFields("127.0.0.1", QString::number(listener.serverPort()), "Tavik", "Tavik.key");
            zephra.connectToZephra();
            (void)QTest::qWaitFor([this]() { return listener.hasPendingConnections(); }, LineClient::waitMs);
            peer = listener.nextPendingConnection();
            if (!peer) return false;
            peer->write("0\n");
            if (!QTest::qWaitFor([this]() { return peer->canReadLine(); }, LineClient::waitMs)) return false;
            peer->readLine();
            QSignalSpy ready(&zephra, &Zephra::zephraIsReady);
            peer->write("System>Tavik Ok:\n");
            return ready.wait(LineClient::waitMs);
        }
        QByteArray take(qint64 bytes)
        {
            QByteArray got;
            (void)QTest::qWaitFor(
                [&]() {
                    got += peer->readAll();
                    return got.size() >= bytes;
                },
                LineClient::waitMs);
            return got;
        }
    };

    static AMsg request(const QString& line)
    {
        AMsg msg;
        msg.parse(line);
        return msg;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QFile key("Tavik.key");
        QVERIFY(key.open(QIODevice::WriteOnly));
        key.write("k\n");
    }

    void encodedAnswerIsTheTextPathsBytes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << "ctrl1>Tavik GetHistgram 0" << QByteArray("1 22 333");
        QTest::newRow("sub-names") << "a.b>Tavik.dsp1 Status Mode" << QByteArray("Mode 7 0x7");
        QTest::newRow("empty text") << "x>Tavik Cmd" << QByteArray();
        QTest::newRow("dot without sub") << "x.>Tavik Cmd" << QByteArray("1");
        QTest::newRow("outside Latin-1")
            << QString::fromUtf8("n\xc3\xa9\xe6\x97\xa5>Tavik.\xe6\x97\xa5 C\xc3\xa9")
            << QByteArray("\xe9 5");
    }

    void encodedAnswerIsTheTextPathsBytes()
    {
        QFETCH(QString, line);
        QFETCH(QByteArray, text);
        const AMsg msg = request(line);
        QVERIFY(msg.valid);
        const QByteArray viaText = ZephraWire::encode(ZephraWire::formatLine(
            msg.toNode, msg.toSub, msg.from, ZephraWire::answerBody(msg.cmd, QString::fromLatin1(text))));
        QCOMPARE(ZephraWire::encodeAnswer(msg.toNode, msg.toSub, msg.from, msg.cmd, text), viaText);
    }

    // Answers far larger than the connection takes at once arrive whole and in order.
    void largeAnswersKeepTheirOrder()
    {
        Link link;
        QVERIFY(link.logIn());
        const AMsg msg = request("ctrl1>Tavik GetHistgram 0");
        const QByteArray first(8 << 20, '1'), second(3 << 20, '2');
        link.zephra.sendLatin1Answer(msg, first);
        link.zephra.sendAnswer(msg, QString::fromLatin1(second));
        link.zephra.sendLatin1Answer(msg, "3");
        const QByteArray expected = "Tavik>ctrl1 @GetHistgram " + first + "\nTavik>ctrl1 @GetHistgram " +
                                    second + "\nTavik>ctrl1 @GetHistgram 3\n";
        QCOMPARE(link.take(expected.size()), expected);
    }

    // Whoever listens to the sent answers still gets the line, and the same bytes go out.
    void listenedAnswerIsStillReported()
    {
        Link link;
        QVERIFY(link.logIn());
        QSignalSpy sent(&link.zephra, &Zephra::sendingAnsToZephra);
        link.zephra.sendLatin1Answer(request("c>Tavik.dsp2 GetValues"), "10 20");
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.first().first().toString(), QString("Tavik.dsp2>c @GetValues 10 20"));
        const QByteArray expected = "Tavik.dsp2>c @GetValues 10 20\n";
        QCOMPARE(link.take(expected.size()), expected);
    }
};

QTEST_MAIN(TestAnswerBytes)
#include "tst_answerbytes.moc"
