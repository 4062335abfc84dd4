#include "consumer/McaTransfer.h"
#include "consumer/MonitorAnswers.h"
#include "consumer/TransferFramer.h"
#include "dsp/McaBlock.h"

#include <QtTest>

using MonitorAnswers::Roi;

// A consumer's side of the data link as plain functions: transfers cut out of the stream,
// each block's check, and the node's answers a consumer reads.
class TestTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framerCutsTransfersAcrossPieces()
    {
        McaBlock one;
        one.writeHead(2, true, 1, 1, 0);
        const QByteArray stream = one.bytes().repeated(5) + "tail";
        TransferFramer framer(2);
        QList<QByteArray> done;
        for (int at = 0; at < stream.size(); at += 7000)
            QVERIFY(framer.append(stream.mid(at, 7000), done));
        QCOMPARE(done, (QList<QByteArray>{one.bytes().repeated(2), one.bytes().repeated(2)}));
        QCOMPARE(framer.takeHeld(), one.bytes() + "tail");

        // Without a block count nothing is cut; more than the cap is dropped whole.
        TransferFramer paused;
        QByteArray most(TransferFramer::maxBlocks * McaTransfer::blockSize, 'x');
        QVERIFY(paused.append(most, done));
        QVERIFY(!paused.append("y", done));
        QCOMPARE(paused.heldBytes(), 0);
        QCOMPARE(done.size(), 2);
    }

    // The checks that no transfer of the program can fail (bin count and short tails fail in
    // the tests of transfers).
    void everyBlockIsChecked()
    {
        McaBlock b;
        b.writeHead(4, false, qQNaN(), -0.5, 0);
        QCOMPARE(McaTransfer::readTransfer(b.bytes()).faults,
                 QStringList{"block 0: channel 4, not 0-3; real time nan; live time -0.5"});
    }

    void roisAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("elements");
        QTest::newRow("two elements") << "0 2047 -5 99999" << true << 2;
        QTest::newRow("none") << "" << true << 0;
        QTest::newRow("odd count") << "0 2047 5" << false << 0;
        QTest::newRow("no number") << "0 x" << false << 0;
        QTest::newRow("error text") << "Er: Unknown node [Tavik]" << false << 0;
        QTest::newRow("too many") << QString("1 2 ").repeated(257).trimmed() << false << 0;
    }
    void roisAnswer()
    {
        QFETCH(QString, answer);
        QVector<Roi> rois;
        QTEST(MonitorAnswers::parseRois(answer.split(' ', Qt::SkipEmptyParts), &rois), "ok");
        QTEST(rois.size(), "elements");
    }

    void dataLinkChAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("reached"); // empty: refused
        QTest::newRow("default") << QString("localhost 6058") << QString("localhost:6058");
        QTest::newRow("every interface") << QString("0.0.0.0 7000") << QString("server:7000");
        QTest::newRow("port 0") << QString("127.0.0.1 0") << QString();
        QTest::newRow("port too big") << QString("127.0.0.1 65536") << QString();
        QTest::newRow("no port") << QString("127.0.0.1") << QString();
    }
    void dataLinkChAnswer()
    {
        QFETCH(QString, answer);
        QString host;
        quint16 port = 0;
        const bool ok = MonitorAnswers::parseDataLinkCh(answer.split(' '), "server", &host, &port);
        QTEST(ok ? QString("%1:%2").arg(host).arg(port) : QString(), "reached");
    }
};

QTEST_APPLESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
