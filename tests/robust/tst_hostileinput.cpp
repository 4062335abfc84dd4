#include "config/ConfigStore.h"
#include "config/ConfigText.h"
#include "zephra/AMsg.h"
#include "zephra/History.h"
#include "zephra/LineBuffer.h"
#include "zephra/Zephra.h"
#include "zephra/ZephraWire.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// Outside input that once stalled the program or grew its memory without bound. Each case
// keeps the input that showed the fault.
class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void aRequestOfHalfAMillionParametersIsSplitWhole()
    {
        const int n = 512 * 1024;
        QString line = "ctrl>Tavik GetValue";
        line.reserve(line.size() + 2 * n);
        for (int i = 0; i < n; ++i)
            line += i == n - 1 ? QStringLiteral(" z") : QStringLiteral(" 7");
        AMsg msg;
        QVERIFY(msg.parse(line));
        QCOMPARE(msg.params.size(), n);
        QCOMPARE(msg.params.last(), QString("z"));
        QCOMPARE(splitItems(R"(a "b c" "" d)"), QStringList({"a", "b c", "", "d"}));
    }

    void outsideTextIsClippedForTheLog()
    {
        QCOMPARE(clipForLog("short"), QString("short"));
        const QString clipped = clipForLog(QString(1000000, 'x'));
        QCOMPARE(clipped, QString(logTextLimit, 'x') + "... [999800 more characters]");
    }

    void aLineWithoutEndIsCappedAndDroppedWhole()
    {
        LineBuffer lines;
        QByteArray line;
        lines.append("Sys");
        lines.append("tem>A x\nB");
        QVERIFY(lines.takeLine(line));
        QCOMPARE(line, QByteArray("System>A x\n"));
        QVERIFY(!lines.takeLine(line));
        // A line far beyond the cap, arriving in pieces, is dropped up to its end.
        for (int i = 0; i < 40; ++i)
            lines.append(QByteArray(4096, 'y'));
        QVERIFY(!lines.takeLine(line));
        lines.append("yy\nC ok\n");
        QCOMPARE(lines.takeDroppedLines(), 1);
        QVERIFY(lines.takeLine(line));
        QCOMPARE(line, QByteArray("C ok\n"));
        QVERIFY(!lines.takeLine(line));
    }

    // A server that sends an over-long line: the client logs it in red and keeps its
    // connection, and the next line still arrives.
    void theServerConnectionOutlivesAnOverlongLine()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QFile keys("Tavik.key");
        QVERIFY(keys.open(QIODevice::WriteOnly) && keys.write("k\n") == 2);
        keys.close();
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Zephra zephra;
        zephra.setFields("127.0.0.1", QString::number(server.serverPort()), "Tavik", "Tavik.key");
        QStringList red;
        connect(&zephra, &Zephra::log, [&red](const QString& m, const QColor& c) {
            if (c == QColor(255, 0, 0)) red << m;
        });
        QSignalSpy ready(&zephra, &Zephra::zephraIsReady);
        QSignalSpy asks(&zephra, &Zephra::anyAsk);
        zephra.connectToZephra();
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        peer->write("0\n");
        QTRY_VERIFY(peer->canReadLine());
        peer->write("System>Tavik Ok:\n");
        QTRY_COMPARE(ready.count(), 1);
        peer->write("ctrl>Tavik " + QByteArray(3 * LineBuffer::maxLineBytes, 'w'));
        peer->write("\nctrl>Tavik GetROIs\n");
        QTRY_COMPARE(asks.count(), 1);
        QCOMPARE(asks.first().first().value<AMsg>().cmd, QString("GetROIs"));
        QCOMPARE(red, QStringList("Er: 1 line(s) from Zephra longer than 65536 bytes dropped"));
    }

    void onlyARegularConfigFileIsRead()
    {
        ConfigStore store;
        store.readFile("/dev/zero");
        QVERIFY(!store.contains("ANY"));
        QTemporaryDir dir;
        QFile file(dir.filePath("big.cfg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("KEY_A 1\nLONG " + QByteArray(ConfigStore::maxLineBytes * 2, 'v') + "\nKEY_B 2\n");
        for (int i = 0; i < 80000; ++i)
            file.write(QByteArray("K") + QByteArray::number(i) + " v\n");
        file.close();
        store.readFile(file.fileName());
        QCOMPARE(store.value("key_a", "-"), QString("1"));
        QCOMPARE(store.value("LONG", "skipped"), QString("skipped"));
        QCOMPARE(store.value("KEY_B", "-"), QString("2"));
        QCOMPARE(store.value("K79999", "-"), QString("v"));
    }

    // Key, history and settings files name no device either, and a huge key line is no key.
    void otherLocalFilesAreReadWithBoundedCost()
    {
        bool opened = true;
        QVERIFY(ZephraWire::readKeys("/dev/zero", &opened).isEmpty());
        QVERIFY(!opened);
        QTemporaryDir dir;
        QFile file(dir.filePath("Tavik.key"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("k0\n" + QByteArray(ZephraWire::maxKeyBytes + 1, 'k') + "\n k 2 \nlast");
        file.close();
        QCOMPARE(ZephraWire::readKeys(file.fileName(), &opened), QStringList({"k0", "", "k 2", "last"}));
        QVERIFY(opened);
        QDir::setCurrent(dir.path());
        QVERIFY(QFile::link("/dev/zero", History::fileName));
        QString host = "h", port = "p";
        History::read(host, port);
        QCOMPARE(host + port, QString("hp"));
    }
};

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
