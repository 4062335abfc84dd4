#include "tests/support/RegisterClient.h"
#include "tests/support/RequestRig.h"

#include <QRandomGenerator>
#include <QUdpSocket>
#include <QtTest>

// Faults of the units, the server and the consumer, and garbage on every socket, against the
// real program: after each, every request has been answered exactly once, no register was
// written that the requests did not ask for, and the program still runs.
class TestFaults : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 15000;
    TavikRig rig;
    quint16 linkPort = 0;
    QSet<quint32> mayWrite;

private Q_SLOTS:
    void initTestCase()
    {
        rig.extraConfig = TavikRig::freeDataLink;
        const QString error = rig.startWithUnits("127.0.74.2", {"1 1 0 0", "1 0 0 0"}, true);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        linkPort = rig.dataLinkPort();
    }

    // SIGTERM ends the program through its event loop: a normal exit, not a kill.
    void cleanupTestCase()
    {
        rig.tavik.terminate();
        QVERIFY(rig.tavik.waitForFinished(waitMs));
        QCOMPARE(rig.tavik.exitStatus() == QProcess::NormalExit ? rig.tavik.exitCode() : -1, 0);
    }

    void init()
    {
        for (int u = 0; u < 3; ++u)
            rig.takeRequests(u);
        mayWrite = {A::histgram};
    }

    void cleanup()
    {
        for (int u = 0; u < 3; ++u) {
            rig.emu->setFaults(u, UnitFaults());
            for (const QByteArray& d : rig.takeRequests(u))
                if (const UnitRequest r = UnitRequest::parse(d); r.write && !mayWrite.contains(r.address))
                    QFAIL(qPrintable(QString("unit %1: unasked write to %2").arg(u).arg(r.address, 0, 16)));
        }
        QCOMPARE(rig.leftovers(), QString());
    }

    // A time-out says nothing about the run: it must not end it with a snapshot of zero times.
    void unitSilentMidRun()
    {
        mayWrite += {A::clear, A::start, A::measTime1};
        QCOMPARE(rig.ctrl.asks({"SetPresetType REAL", "SetPresetValue 2", "RunStart 3"}),
                 QString("Ok:|Ok:|Ok:"));
        QVERIFY(rig.ctrl.waitForEvent("ChangedIsBusy 1", waitMs));
        UnitFaults silent;
        silent.noAnswer = true;
        rig.emu->setFaults(1, silent);
        QCOMPARE(rig.ctrl.ask("Status Mode", "dsp2"), QString("Mode 0 0x0"));
        // Long enough for each time register to time out once; dsp1 is done meanwhile.
        QVERIFY(!rig.ctrl.waitForEvent("ChangedIsBusy 0", 8000));
        rig.emu->setFaults(1, UnitFaults());
        QVERIFY(rig.ctrl.waitForEvent("ChangedIsBusy 0", waitMs));
        QTcpSocket consumer; // says "Ack" to a whole transfer
        connect(&consumer, &QTcpSocket::readyRead, [&]() {
            if (consumer.bytesAvailable() == 3 * 16432) consumer.write("Ack");
        });
        consumer.connectToHost(QHostAddress::LocalHost, linkPort);
        QCOMPARE(rig.ctrl.asks({"GetMCAs", "Hello"}), QString("Ok:|Hello! I am Tavik. Nice to meet you!"));
        const QByteArray transfer = consumer.readAll();
        for (int block : {0, 1, 2}) // real times
            QCOMPARE(qFromLittleEndian<double>(transfer.constData() + block * 16432 + 24), 2.0);
    }

    // Answers that are not the unit's to the request waited for: a timed-out read's, arriving
    // during the next request (a write), and junk and a forged answer from elsewhere.
    void answersThatAreNotTheUnits()
    {
        mayWrite += A::mode;
        rig.emu->setReg(0, A::mode, 9);
        UnitFaults late;
        late.answerDelayMs = 800;
        rig.emu->setFaults(0, late);
        QCOMPARE(rig.ctrl.asks({"Status Mode", "SetConfig Mode 4"}, "dsp1"),
                 QString("Mode 0 0x0|Mode 0 0x0"));
        late.answerDelayMs = 300;
        rig.emu->setFaults(0, late);
        QUdpSocket forger;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&]() {
            if (readsOf(rig.emu->requests(0)).count(A::mode) < 2) return;
            poll.stop();
            const quint16 port = rig.emu->lastSenderPort(0);
            for (int size : {0, 3, 9, 10, 11, 65000})
                forger.writeDatagram(QByteArray(size, char(0xC8)), QHostAddress::LocalHost, port);
            forger.writeDatagram(RegisterClient::answer(A::mode, 2, 0x7777), QHostAddress::LocalHost, port);
        });
        poll.start(5);
        QCOMPARE(rig.ctrl.ask("Status Mode", "dsp1"), QString("Mode 4 0x4"));
    }

    // Blocking transfers: a consumer that never says "Ack" gets its link dropped in bounded
    // time; one that leaves gets the transfer again on its next connection.
    void consumerFaults_data()
    {
        QTest::addColumn<QByteArray>("reply"); // every 200 ms
        QTest::newRow("Nack for ever") << QByteArray("Nack");
        QTest::newRow("junk") << QByteArray("junk\n");
        QTest::newRow("leaves mid-transfer") << QByteArray();
    }
    void consumerFaults()
    {
        QFETCH(QByteArray, reply);
        QTcpSocket consumer;
        QTimer every;
        connect(&every, &QTimer::timeout, [&]() { consumer.write(reply); });
        connect(&consumer, &QTcpSocket::readyRead,
                [&]() { reply.isEmpty() ? consumer.abort() : (void)consumer.readAll(); });
        consumer.connectToHost(QHostAddress::LocalHost, linkPort);
        QVERIFY(consumer.waitForConnected(waitMs));
        every.start(200);
        QCOMPARE(rig.ctrl.asks({"GetMCAs", "Hello"}), QString("Ok:|Hello! I am Tavik. Nice to meet you!"));
        QTRY_COMPARE_WITH_TIMEOUT(consumer.state(), QAbstractSocket::UnconnectedState, waitMs);
        QTcpSocket next;
        next.connectToHost(QHostAddress::LocalHost, linkPort);
        QTRY_COMPARE_WITH_TIMEOUT(next.bytesAvailable(), qint64(3 * 16432), waitMs); // sent again
        next.write("Ack");
        QVERIFY(next.waitForBytesWritten(waitMs));
    }

    // Lines of random bytes from another client, each a request of an unknown word: each is
    // answered once.
    void garbageLinesThroughTheServer()
    {
        LineClient junk;
        QVERIFY(junk.open(rig.server->port) && junk.logIn("junk", TavikRig::keyOfChallenge));
        QRandomGenerator rng(14);
        QByteArray lines, line;
        for (int i = 0; i < 300; ++i) {
            lines += "junk>Tavik X";
            for (int n = rng.bounded(300); n > 0; --n)
                if (const char c = char(rng.bounded(1, 256)); c != '\n' && c != '"') lines += c;
            lines += '\n';
        }
        junk.send(lines + "junk>Tavik.end Hello\n");
        int answers = 0;
        while (!(line = junk.readLine(waitMs)).isEmpty() && !line.startsWith("Tavik.end>junk @Hello"))
            ++answers;
        QCOMPARE(answers, 300);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
