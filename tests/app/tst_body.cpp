#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/VexDA.h"
#include "tests/support/EmulatedUnits.h"
#include "tests/support/RegisterClient.h"
#include "tests/support/UnitRequest.h"
#include "translations/Catalogue.h"
#include "widgets/StyleSheets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTranslator>
#include <QtTest>

#include <atomic>
#include <thread>

// The main window as it opens, in English and with the Japanese catalogue, its set-up from
// VEXDA and VEXHV lines against two emulated DSP units and the HV unit (every window here
// holds the HV panels too), and which answer a unit's register transport takes when the
// test holds the event loop back.
class TestBody : public QObject
{
    Q_OBJECT

    static constexpr int floodMs = 20000;
    std::unique_ptr<UnitEmulatorThread> emu;

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        emu = startEmulatedUnits("127.0.33.2", 2, &error, true);
        QVERIFY2(emu, qPrintable(error));
        const QString config[][2] = {{"VEX_UDP_PORT", QString::number(emu->udpPort())},
                                     {"VEX_TCP_PORT", QString::number(emu->tcpPort())},
                                     {"VEXDA", "dsp1 127.0.33.2 1 0 1 1"},
                                     {"vexda", "dsp2 127.0.33.3 1 yes 2 1"}, // only 1 enables a channel
                                     {"EMULATE_DSP_SIGNAL", "1"},
                                     {"VEXHV", "hv1 127.0.33.4"}};
        for (const auto& c : config)
            configStore.add(c[0], c[1].section(' ', 0, 0), ' ' + c[1]);
    }

    void opensWithItsTextsAndFirstLogLine()
    {
        Body body;
        QStringList texts{body.windowTitle()};
        for (const char* name : {"LogMsgToZephra", "LogMsgFromZephra", "EmulateSignal"})
            texts << body.findChild<QCheckBox*>(name)->text();
        texts << body.findChild<QPushButton*>("ShowSettings")->text();
        QCOMPARE(texts,
                 (QStringList{"Tavik", "Msg to Zephra", "Msg from Zephra", "Emulate", "Show Settings"}));
        body.findChild<QPushButton*>("ShowSettings")->click();
        QVERIFY(body.settings().isVisible());
        QVERIFY(!body.findChild<QCheckBox*>("LogMsgToZephra")->isChecked());
        const QTextDocument* log = body.findChild<LogArea*>("Log")->display()->document();
        QCOMPARE(log->maximumBlockCount(), 2000);
        QCOMPARE(log->firstBlock().text(), QString("Starting !!"));
        QCOMPARE(log->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(0, 0, 0));
        // A line goes in where the cursor was put; the cursor then follows the end.
        QTextEdit* edit = body.findChild<LogArea*>("Log")->display();
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(0);
        edit->setTextCursor(cursor);
        Q_EMIT body.log("first", QColor(255, 0, 0));
        Q_EMIT body.log("last");
        QVERIFY(edit->toPlainText().startsWith("first\nStarting !!\n") &&
                edit->toPlainText().endsWith("last\n"));
        QCOMPARE(log->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));
    }

    void catalogueTranslatesTitleAndTexts()
    {
        QTranslator translator;
        installCatalogue(*qApp, translator);
        QVERIFY(!translator.isEmpty());
        {
            Body body;
            QCOMPARE(body.windowTitle(), QString("Tavik (Vextron DSP driver for Zephra)"));
            QCOMPARE(body.findChild<QCheckBox*>("EmulateSignal")->text(), QString::fromUtf8("エミュレート"));
        }
        // Entries the catalogue keeps as they are, or gives an odd text.
        QCOMPARE(QCoreApplication::translate("UnitStat", "DSP Status") +
                     QCoreApplication::translate("QObject", "Stopping") +
                     QCoreApplication::translate("VexHv", "Voltage").left(3),
                 QString("DSP StatusStopping   "));
        QCOMPARE(QCoreApplication::translate("Zephra", "Zephra Settings"),
                 QCoreApplication::translate("Zephra", "Disconnected"));
        qApp->removeTranslator(&translator);
    }

    void unitsChannelsAndPanels()
    {
        emu->clearRequests(1);
        QPointer<VexDA> unit;
        {
            Body body;
            QVector<QPair<QString, int>> elements;
            for (const ChannelRef& ref : body.channelList())
                elements << qMakePair(ref.unit->unitName, ref.ch);
            QCOMPARE(elements, (QVector<QPair<QString, int>>{
                                   {"dsp1", 0}, {"dsp1", 2}, {"dsp1", 3}, {"dsp2", 0}, {"dsp2", 3}}));
            // Each unit's panel, its TCP indicator following the connection, and the log line.
            QWidget* panel = body.findChild<QGridLayout*>("DspStats")->itemAtPosition(1, 0)->widget();
            QCOMPARE(panel->findChild<QLineEdit*>("ID")->text() + ' ' +
                         panel->findChild<QLineEdit*>("IP")->text(),
                     QString("dsp2 127.0.33.3"));
            const auto tcpStat = [panel]() { return panel->findChild<StatDisp*>("TCPStat")->statStyle(); };
            QCOMPARE(tcpStat(), QString(StyleSheets::yellow));
            QTRY_COMPARE_WITH_TIMEOUT(tcpStat(), QString(StyleSheets::green), 3000);
            QTRY_VERIFY_WITH_TIMEOUT(emu->tcpClientCount(1) >= 1, 3000);
            emu->closeTcp(1);
            QTRY_COMPARE_WITH_TIMEOUT(tcpStat(), QString(StyleSheets::grey), 3000);
            // A lost data connection is opened again.
            QTRY_COMPARE_WITH_TIMEOUT(tcpStat(), QString(StyleSheets::green), 5000);
            // (The lines of the connection made, lost and re-opened are compared where a unit
            // drops its link.)
            QVERIFY(body.findChild<LogArea*>("Log")->display()->toPlainText().contains(
                "dsp2: Trying to connect via TCP\n"));

            // The largest measuring time, word by word and twice, then no data transfer delay;
            // the settings read-out follows.
            const QStringList largest{"write b4000016 x2 id7 = fff", "write b4000018 x2 id7 = ffff",
                                      "write b400001a x2 id7 = ffff"};
            QCOMPARE(requestTexts(emu->requests(1)).mid(0, 7),
                     largest + largest + QStringList("write 00000008 x4 id7 = 0"));

            // The emulate box follows the key and drives every unit.
            auto* box = body.findChild<QCheckBox*>("EmulateSignal");
            QVERIFY(box->isChecked() && body.dspGroup().units().at(1)->emulateSignal);
            box->setChecked(false);
            for (VexDA* u : body.dspGroup().units())
                QVERIFY(!u->emulateSignal);
            unit = body.dspGroup().units().first();
        }
        // Closing leaves no dangling panel: the unit goes later, once, with its panel.
        QVERIFY(unit);
        QTRY_VERIFY_WITH_TIMEOUT(!unit, 2000);
    }

    void unitTransportTakesOnlyTheAnswerToItsRequest()
    {
        VexUnit u("dsp1", emu->unitAddress(0).toString());
        QVERIFY(u.writeRegister(A::mode, 5, true, 2));
        UnitFaults f;
        f.strayDatagram = true; // an answer for another address comes first
        emu->setFaults(0, f);
        QCOMPARE(u.readValue(A::mode, 2), quint64(5));
        // Datagrams that answer nothing are dropped within the one wait, not a wait each: a
        // flood of them, lasting far longer, does not hold the read.
        f = UnitFaults();
        f.wrongAddress = true;
        emu->setFaults(0, f);
        std::atomic<bool> readEnded{false}, floodRanOut{false};
        std::thread flood([&, port = u.udpSocket.localPort()] {
            QUdpSocket s;
            for (QDeadlineTimer d(floodMs); !readEnded && !d.hasExpired();)
                s.writeDatagram(RegisterClient::answer(A::mode, 2, 5), QHostAddress(QHostAddress::LocalHost),
                                port);
            floodRanOut = !readEnded;
        });
        QVERIFY(!u.readRegister(A::mode, true, 2));
        readEnded = true;
        flood.join();
        QVERIFY(!floodRanOut);

        // A late answer is not taken for the next request, even to the same address.
        f = UnitFaults();
        f.answerDelayMs = 700;
        for (quint32 next : {A::clear, A::mode}) {
            emu->setFaults(0, f);
            QVERIFY(!u.readRegister(A::mode, true, 2));
            emu->setFaults(0, UnitFaults());
            QVERIFY(u.writeRegister(next, 0x66, true, 2));
            // Until the late answer waits in the socket, with its signals held so that no
            // handler takes it.
            {
                const QSignalBlocker held(&u.udpSocket);
                QVERIFY(u.udpSocket.hasPendingDatagrams() || u.udpSocket.waitForReadyRead(2000));
            }
            QCOMPARE(u.readValue(next, 2), quint64(0x66));
        }
    }
};

QTEST_MAIN(TestBody)
#include "tst_body.moc"
