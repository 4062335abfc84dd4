#include "dsp/McaBlock.h"
#include "monitor/DataLinkClient.h"
#include "monitor/ServerLink.h"
#include "sim/server/ZephraServerThread.h"
#include "tests/support/LineClient.h"

#include <QTcpServer>
#include <QtTest>

// The monitor's two connections against peers that misbehave: a data link that stalls or
// sends without a known block count, and a server that refuses the key, answers out of
// order or not at all.
class TestMonitorLinks : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 20000;
    QTemporaryDir dir;

private Q_SLOTS:
    void dataLinkAcksWholeStalledAndUnframedTransfers()
    {
        QTcpServer node;
        QVERIFY(node.listen(QHostAddress::LocalHost));
        DataLinkClient link;
        QSignalSpy got(&link, &DataLinkClient::transferRead);
        link.setBlocks(2);
        link.connectTo("127.0.0.1", node.serverPort());
        QVERIFY(node.waitForNewConnection(waitMs));
        QTcpSocket* peer = node.nextPendingConnection();
        McaBlock b;
        b.writeHead(1, false, 2, 1.5, 0);
        const auto faultsOf = [&](int i) { return got.at(i).at(1).toStringList(); };
        const auto acks = [&](int n) {
            return QTest::qWaitFor([&] { return peer->bytesAvailable() >= 3 * n; }, waitMs) &&
                   peer->readAll() == QByteArray("Ack").repeated(n);
        };

        peer->write(b.bytes().repeated(2));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 1, waitMs);
        QVERIFY(acks(1));
        QCOMPARE(faultsOf(0), QStringList());

        // Half a transfer, then nothing: cut short after the stall, checked and acknowledged.
        peer->write(b.bytes().repeated(2).left(20000));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 2, waitMs);
        QVERIFY(acks(1));
        QCOMPARE(faultsOf(1), (QStringList{"block 1: 3568 bytes, not 16432", "transfer of 1 blocks, not 2"}));

        // Count unknown: a pause ends the transfer.
        link.setBlocks(0);
        peer->write(b.bytes().repeated(3));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 3, waitMs);
        QCOMPARE(got.at(2).at(0).value<QVector<McaTransfer::Block>>().size(), 3);
        QVERIFY(acks(1));
        QCOMPARE(link.state(), DataLinkClient::Linked);
    }

    void serverLinkRetriesMatchesAndTimesOut()
    {
        QVERIFY(writeTextFile(dir.filePath("server.keys"), "alpha\nbravo\n"));
        QVERIFY(writeTextFile(dir.filePath("monitor.key"), "wrong\nkeys\n"));
        ZephraServerThread server(standInConfig(dir.filePath("server.keys"), 3));
        QVERIFY2(server.started, qPrintable(server.error));
        ServerLink link;
        QSignalSpy states(&link, &ServerLink::stateChanged);
        link.setPeer("127.0.0.1", server.port, "monitor", dir.filePath("monitor.key"));
        link.start();
        QTRY_VERIFY_WITH_TIMEOUT(states.size() >= 3 && states.last().at(0) == ServerLink::Down, waitMs);
        QVERIFY(states.last().at(1).toString().startsWith("log-in refused: System>monitor Er:"));
        // The key file is read at every log-in: mended, the next try gets in.
        QVERIFY(writeTextFile(dir.filePath("monitor.key"), "alpha\nbravo\n"));
        QTRY_COMPARE_WITH_TIMEOUT(link.state(), ServerLink::Ready, waitMs);

        LineClient node;
        QVERIFY(node.open(server.port) && node.logIn("T", "bravo"));
        QSignalSpy answers(&link, &ServerLink::answered);
        QSignalSpy events(&link, &ServerLink::eventReceived);
        QSignalSpy lost(&link, &ServerLink::askTimedOut);
        QVERIFY(link.ask("T", "GetROIs") && link.ask("T", "GetMCAs") && link.ask("T", "Clear"));
        for (const char* ask : {"GetROIs", "GetMCAs", "Clear"})
            QVERIFY(node.readLine().startsWith(QByteArray("monitor>T ") + ask));
        node.send("T>monitor @GetMCAs Ok:\nT>monitor @RunStop Ok:\nT>System _ChangedIsBusy 1\n"
                  "T>monitor @GetROIs 0 2047\n");
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, waitMs);
        QCOMPARE(answers.at(0).at(0).value<AMsg>().cmd, QString("GetMCAs"));
        QCOMPARE(answers.at(1).at(0).value<AMsg>().params, (QStringList{"0", "2047"}));
        QCOMPARE(events.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, waitMs);
        QCOMPARE(lost.first().at(0).toString(), QString("Clear"));
        QCOMPARE(answers.size(), 2); // the unasked RunStop answer was not taken
    }
};

QTEST_MAIN(TestMonitorLinks)
#include "tst_monitorlinks.moc"
