#include "app/Body.h"
#include "config/ConfigStore.h"
#include "consumer/N42Reader.h"
#include "consumer/SpectrumBytes.h"
#include "dsp/McaBlock.h"
#include "sim/datalink/DataLinkConsumer.h"
#include "tests/support/RequestRig.h"
#include "widgets/LogArea.h"
#include "zephra/Command.h"

#include <QImage>
#include <QTcpServer>
#include <QTextBlock>
#include <QtTest>

#include <algorithm>

using Line = QPair<QString, QColor>;
using Lines = QList<Line>;

// The data link. The real program with the consumer in this process: the bytes of a transfer
// against the emulated units, the blocking mode's replies and time-out, the listen queue,
// silent and stale consumers. The main window in this process: where it listens, and the
// event-driven table with its log lines and their colours.
class TestDataLink : public QObject
{
    Q_OBJECT

    static constexpr int block = 16432;
    static constexpr int waitMs = 15000;
    const QColor red{255, 0, 0}, blue{0, 0, 255};
    std::unique_ptr<TavikRig> rig;
    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<Body> body;
    quint16 port = 0;
    int logRead = 0;

    struct Consumer
    {
        explicit Consumer(const ConsumerOptions& o) : link(o) { link.start(); }
        QByteArray bytes(int i) const { return got.at(i).at(0).toByteArray(); }
        DataLinkConsumer link;
        QSignalSpy got{&link, &DataLinkConsumer::transferReceived};
        QSignalSpy links{&link, &DataLinkConsumer::linked};
        QSignalSpy drops{&link, &DataLinkConsumer::unlinked};
        QSignalSpy problems{&link, &DataLinkConsumer::problem};
    };

    ConsumerOptions options(int blocks, ConsumerOptions::Reply reply = ConsumerOptions::Ack, int times = -1,
                            const QString& outDir = QString())
    {
        ConsumerOptions o;
        o.outDir = outDir;
        o.port = port;
        o.blocks = blocks;
        o.reply = reply;
        o.replyTimes = times;
        return o;
    }

    QString start(bool simpleTrans, const QStringList& flags)
    {
        rig = std::make_unique<TavikRig>();
        rig->extraConfig = TavikRig::freeDataLink + QString("SIMPLE_TRANS %1\n").arg(simpleTrans);
        const QString error = rig->startWithUnits("127.0.66.2", flags);
        port = error.isEmpty() ? rig->dataLinkPort() : 0;
        return error;
    }

    QString ask(const QString& request) { return rig->ctrl.ask(request); }

    template <typename T> static T at(const QByteArray& t, int k, int offset)
    {
        return qFromLittleEndian<T>(t.constData() + k * block + offset);
    }

    void makeBody(const QString& ip, const QString& portText, const QString& simpleTrans)
    {
        QString error;
        if (!emu) emu = startEmulatedUnits("127.0.67.2", 1, &error);
        QVERIFY2(emu, qPrintable(error));
        body.reset();
        configStore = ConfigStore();
        const QString text =
            QString("VEX_UDP_PORT %1\nVEX_TCP_PORT %2\nVEXDA dsp1 %3 0 1 1 0\nDATA_LINK_CH_IP %4\n"
                    "DATA_LINK_CH_PORT %5\nSIMPLE_TRANS %6")
                .arg(emu->udpPort())
                .arg(emu->tcpPort())
                .arg(emu->unitAddress(0).toString(), ip, portText, simpleTrans);
        for (const QString& line : text.split('\n'))
            configStore.add(line.section(' ', 0, 0), line.section(' ', 1, 1), line.section(' ', 1));
        body = std::make_unique<Body>();
        port = quint16(body->dataLinkPortInUse());
        logRead = 0;
    }

    // The log lines since the last call, with their colours, once there are at least `count`.
    // Every line ends in a line break, so the last block is the empty one still to be written.
    Lines takeLog(int count = 0)
    {
        const QTextDocument* doc = body->findChild<LogArea*>("Log")->display()->document();
        (void)QTest::qWaitFor([&] { return doc->blockCount() - 1 - logRead >= count; }, waitMs);
        Lines lines;
        for (; logRead < doc->blockCount() - 1; ++logRead) {
            const QTextBlock b = doc->findBlockByNumber(logRead);
            lines << Line(b.text(), b.begin().fragment().charFormat().foreground().color());
        }
        return lines;
    }

    static bool canConnect(const QString& address, quint16 to)
    {
        QTcpSocket s;
        s.connectToHost(address, to);
        return s.waitForConnected(2000);
    }

    // The bytes of one two-block transfer, and any more that came with it.
    static QByteArray transferOn(QTcpSocket& s)
    {
        (void)QTest::qWaitFor([&] { return s.bytesAvailable() >= 2 * block; }, waitMs);
        return s.readAll();
    }

private Q_SLOTS:
    void cleanup()
    {
        if (rig) QVERIFY(rig->tavikRunning());
        rig.reset();
        body.reset();
    }

    void transferOfTwoUnitsSavedAndPlotted()
    {
        QVERIFY2(start(true, {"1 1 0 0", "1 1 0 0"}).isEmpty(), "start");
        // No consumer yet: answered, and sent once one connects. Never filled: zeros.
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTemporaryDir out;
        ConsumerOptions o = options(4, ConsumerOptions::Ack, -1, out.path());
        o.vexda = QStringList{"dsp1 " + rig->unitIp(0) + " 1 1 0 0", "dsp2 " + rig->unitIp(1) + " 1 1 0 0"};
        Consumer c(o);
        QTRY_COMPARE_WITH_TIMEOUT(c.got.size(), 1, waitMs);
        QCOMPARE(c.bytes(0), QByteArray(4 * block, '\0'));
        QCOMPARE(c.got.at(0).at(1).toStringList().size(), 4); // the consumer's check: no bins

        QCOMPARE(ask("SetPresetType REAL"), QString("Ok:"));
        QCOMPARE(ask("SetPresetValue 2"), QString("Ok:"));
        QCOMPARE(ask("RunStart 7"), QString("Ok:"));
        QCOMPARE(ask("GetMCAs"), QString("Ok:")); // while running
        QVERIFY(rig->ctrl.waitForEvent("ChangedIsBusy 0", waitMs));
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTRY_COMPARE_WITH_TIMEOUT(c.got.size(), 3, waitMs);

        const QByteArray running = c.bytes(1), t = c.bytes(2);
        for (int k = 0; k < 4; ++k) {
            const int unit = k / 2, ch = k % 2;
            QCOMPARE(at<quint32>(running, k, 4), QVector<quint32>({1, 0, 0, 0}).at(k));
            QCOMPARE(at<quint64>(running, k, 8), quint64(1));
            QCOMPARE(at<quint32>(t, k, 0), quint32(ch));
            QCOMPARE(at<quint32>(t, k, 4), QVector<quint32>({1, 7, 0, 0}).at(k));
            QCOMPARE(at<quint64>(t, k, 8), quint64(0));
            QCOMPARE(at<quint64>(t, k, 16), quint64(4096));
            QCOMPARE(at<double>(t, k, 24), rig->emu->regs(unit, A::realTime1, 3) * 1e-8);
            QCOMPARE(at<double>(t, k, 32), rig->emu->regs(unit, channelAddress(A::liveTime1, ch), 3) * 1e-8);
            QCOMPARE(at<double>(t, k, 40), double(rig->emu->regs(unit, channelAddress(A::icr1, ch), 2)));
            QVector<quint32> bins(4096);
            qFromLittleEndian<quint32>(t.constData() + k * block + 48, 4096, bins.data());
            QCOMPARE(bins, rig->emu->histogram(unit, ch));
        }
        QCOMPARE(c.drops.size(), 0);
        QCOMPARE(c.got.at(2).at(1).toStringList(), QStringList());

        // The transfer that failed the check: one line, no files.
        QCOMPARE(c.problems.size(), 1);
        QCOMPARE(
            c.problems.at(0).at(0).toString(),
            QString(
                "transfer 1: 4 blocks, CHECK FAILED (block 0: bin count 0, not 4096; block 1: bin "
                "count 0, not 4096; block 2: bin count 0, not 4096; 1 more), replied \"Ack\", not saved"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2 * 7); // csv, png, n42, 4 spe
        const QStringList csv = QDir(out.path()).entryList({"*.csv"}, QDir::Files, QDir::Name);
        QCOMPARE(csv.size(), 2);
        QCOMPARE(QImage(out.filePath(QString(csv.last()).replace(".csv", ".png"))).size(), QSize(1000, 650));
        QByteArray n42;
        QCOMPARE(loadBytes(out.filePath(QString(csv.last()).replace(".csv", ".n42")), &n42), QString());
        const SpectrumElement e = readN42(n42).run.elements.value(3);
        QCOMPARE(e.unit + ' ' + e.address, o.vexda.at(1).section(' ', 0, 1));
        QCOMPARE(e.counts, rig->emu->histogram(1, 1));
    }

    void consumerRefusesAnUnknownFormat()
    {
        QProcess consumer;
        consumer.start(qEnvironmentVariable("DATALINK_CONSUMER_EXE"), {"--formats", "csv,pdf", "--once"});
        QVERIFY(consumer.waitForFinished(waitMs));
        QCOMPARE(consumer.exitCode(), int(DataLinkConsumer::Failed));
        QVERIFY(consumer.readAllStandardError().endsWith(
            "datalink-consumer: --formats: unknown format \"pdf\": the formats are csv, png, n42 and spe\n"));
    }

    void blockingRepliesAndTheListenQueue()
    {
        QVERIFY2(start(true, {"0 0 1 0"}).isEmpty(), "start");
        QCOMPARE(ask("RunStart 5"), QString("Ok:"));
        QCOMPARE(ask("RunStop"), QString("Ok:"));
        auto first = std::make_unique<Consumer>(options(1, ConsumerOptions::Nack, 2));
        QTRY_COMPARE_WITH_TIMEOUT(first->links.size(), 1, waitMs);
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTRY_COMPARE_WITH_TIMEOUT(first->got.size(), 3, waitMs); // Nack, Nack, Ack
        QCOMPARE(first->bytes(2), first->bytes(0));
        QCOMPARE(first->bytes(0).size(), block);
        QCOMPARE(at<quint32>(first->bytes(0), 0, 0), quint32(2));
        QCOMPARE(at<quint32>(first->bytes(0), 0, 4), quint32(1)); // one block: the run counter only

        // Two queued while the first is linked take their turns in order, none dropped unserved.
        // Bytes before the word are no reply in this mode: the wait runs out, the link goes,
        // and the next one gets the transfer again. Nor are bytes sent before the transfer: the
        // third one's stray "Ack" does not answer it, its "Nack" does.
        Consumer second(options(1, ConsumerOptions::Garbage, 1));
        QTRY_COMPARE_WITH_TIMEOUT(second.links.size(), 1, waitMs);
        QTcpSocket third;
        QByteArrayList toThird;
        connect(&third, &QTcpSocket::readyRead, [&] {
            while (third.bytesAvailable() >= block) {
                toThird << third.read(block);
                third.write(toThird.size() == 1 ? "Nack" : "Ack");
            }
        });
        third.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(third.waitForConnected(waitMs));
        third.write("Ack");
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTRY_COMPARE_WITH_TIMEOUT(first->got.size(), 4, waitMs);
        QCOMPARE(second.got.size() + toThird.size(), 0);
        first.reset();
        // Asked after the program has seen the first leave, and the next one linked.
        QCOMPARE(ask("Hello"), QString("Hello! I am Tavik. Nice to meet you!"));
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTRY_COMPARE_WITH_TIMEOUT(toThird.size(), 2, waitMs);
        QCOMPARE(second.got.size(), 1);
        QCOMPARE(toThird, (QByteArrayList{second.bytes(0), second.bytes(0)}));
        QCOMPARE(second.drops.size(), 1);
    }

    // Silent consumers queued while a transfer is owed: each is served in a turn of the event
    // loop of its own, so a request asked meanwhile is answered before the later ones are.
    void silentConsumersLetRequestsThrough()
    {
        QVERIFY2(start(true, {"1 0 0 0"}).isEmpty(), "start");
        QCOMPARE(ask("GetMCAs"), QString("Ok:")); // owed to the next consumer
        std::vector<std::unique_ptr<QTcpSocket>> silent(10);
        for (auto& s : silent) {
            s = std::make_unique<QTcpSocket>();
            s->connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(s->waitForConnected(waitMs));
        }
        QCOMPARE(ask("GetDataLinkCh"), QString("127.0.0.1 %1").arg(port));
        const auto dropped = [](const auto& s) { return s->state() == QAbstractSocket::UnconnectedState; };
        QVERIFY(std::count_if(silent.begin(), silent.end(), dropped) <= 1);
        silent.clear(); // they leave; the transfer is still owed
        auto c = std::make_unique<Consumer>(options(1));
        QTRY_COMPARE_WITH_TIMEOUT(c->got.size(), 1, waitMs);
        // Acknowledged, it is owed to nobody: the next consumer, linked once the program has
        // seen this one leave, gets what it asks for and no more.
        Consumer next(options(1));
        c.reset();
        const QString hello("Hello! I am Tavik. Nice to meet you!");
        QCOMPARE(ask("Hello") + ask("Hello"), hello + hello);
        QCOMPARE(ask("GetMCAs"), QString("Ok:"));
        QTRY_COMPARE_WITH_TIMEOUT(next.got.size(), 1, waitMs);
        QCOMPARE(ask("Hello"), hello);
        QCOMPARE(next.got.size(), 1);
    }

    void listensOnLoopbackOrNowhere_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("portText");
        QTest::addColumn<bool>("listening");
        QTest::newRow("localhost") << QString("localhost") << QString("0") << true;
        QTest::newRow("literal") << QString("127.0.0.1") << QString("0") << true;
        QTest::newRow("no such host") << QString("no-such-host.invalid") << QString("0") << false;
        QTest::newRow("empty") << QString() << QString("0") << false;
        QTest::newRow("port out of range") << QString("127.0.0.1") << QString("65536") << false;
    }
    void listensOnLoopbackOrNowhere()
    {
        QFETCH(QString, ip);
        QFETCH(QString, portText);
        QFETCH(bool, listening);
        makeBody(ip, portText, "1");
        QCOMPARE(port != 0 && canConnect("127.0.0.1", port), listening);
        QVERIFY(!canConnect("127.0.0.5", port)); // never wider than the loopback address
        Lines refusals;
        for (const Line& l : takeLog())
            if (l.first.startsWith("Data-Link not listening"))
                refusals << Line(l.first.section(':', 0, 0), l.second);
        const Lines refused{{QString("Data-Link not listening on \"%1\"").arg(ip), red}};
        QCOMPARE(refusals, listening ? Lines() : refused);
    }

    void eventDrivenTable()
    {
        makeBody("127.0.0.1", "0", "0");
        body->askGetMCAs(AMsg()); // no consumer yet: sent once one connects
        QTcpSocket s;
        s.connectToHost("127.0.0.1", port);
        QCOMPARE(transferOn(s).size(), 2 * block);
        QVERIFY(takeLog().contains({"2: after reconnect DataLink send data again", red}));
        // Two reads, not one: the program's end of the link has read "Nac" before "k" is sent
        // (its own handler was connected first). A Nack while waiting sends again.
        QSignalSpy read(body->findChild<QTcpServer*>()->findChild<QTcpSocket*>(), &QTcpSocket::readyRead);
        s.write("Nac");
        QVERIFY(read.wait(waitMs));
        s.write("k");
        QCOMPARE(transferOn(s).size(), 2 * block);
        const Line nack("2: in data trans : Rcv Nack ==> Send data again", red);
        const Line ackInTrans("2: in data trans : Rcv Ack ==> Normal end of Data Transfer", blue);
        QCOMPARE(takeLog(1), Lines{nack});

        // Lower case is no reply; the Ack ends the transfer.
        s.write("ackxxNackyyAck");
        QCOMPARE(transferOn(s).size(), 2 * block);
        QCOMPARE(takeLog(2), (Lines{nack, ackInTrans}));
        s.write("Ack");
        QCOMPARE(takeLog(1), (Lines{{"2: out of data trans : Rcv Ack ==> Do nothing", red}}));
        // Nacks faster than the data are read: what waits unsent is capped.
        s.write(QByteArray("Nack").repeated(400));
        const Lines flood = takeLog(401);
        QCOMPARE(flood.first(), Line("2: out of data trans : Rcv Nack ==> Send data again", red));
        QVERIFY(flood.contains({"Data-Link: too much not sent yet, data not sent again", red}));
        const QByteArray unanswered = transferOn(s).left(2 * block);

        // No reply: the link goes, and the next one gets the transfer again.
        QCOMPARE(takeLog(2), (Lines{{"2: in data trans : TimeOut ==> Disconnect from DSP", red},
                                    {"Discarding DataLink", red}}));
        QVERIFY(QTest::qWaitFor([&] { return s.state() == QAbstractSocket::UnconnectedState; },
                                LineClient::waitMs));
        // Two at once: the second waits until the first leaves, and nothing the first sent
        // counts for it.
        QTcpSocket again, queued;
        for (QTcpSocket* t : {&again, &queued}) {
            t->connectToHost("127.0.0.1", port);
            QVERIFY(t->waitForConnected(waitMs));
        }
        const Lines relinked{{"Discarding DataLink", red},
                             {"Data-Link Connected", Qt::black},
                             {"2: after reconnect DataLink send data again", red}};
        QCOMPARE(transferOn(again), unanswered);
        QCOMPARE(takeLog(3), relinked);
        again.write("Ac");
        again.disconnectFromHost();
        QCOMPARE(transferOn(queued), unanswered);
        queued.write("kNack");
        const Lines left{{"Data-Link Dis-Connected", Qt::black}, {"Discarding DataLink", red}};
        QCOMPARE(takeLog(6), left + relinked + Lines{nack});
    }
};

QTEST_MAIN(TestDataLink)
#include "tst_datalink.moc"
