#include "dsp/DspReg.h"
#include "dsp/VexUnit.h"
#include "sim/EmulatedUnits.h"
#include "widgets/StyleSheets.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

// The transport of one unit against the emulated units, over real sockets.
class TestVexUnit : public QObject
{
    Q_OBJECT

    static constexpr quint32 measTime1 = 0xB4000016, clear = 0xB4000040, mode = 0xB4000010;
    std::unique_ptr<UnitEmulatorThread> emu;

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

    std::unique_ptr<VexUnit> makeUnit(int unit = 0)
    {
        return std::make_unique<VexUnit>("dsp1", emu->unitAddress(unit).toString());
    }

    static QString udpIndicator(VexUnit& u)
    {
        return u.unitStat.findChild<StatDisp*>("UDPTimeout")->statStyle();
    }
    static QString tcpIndicator(VexUnit& u)
    {
        return u.unitStat.findChild<StatDisp*>("TCPStat")->statStyle();
    }

private slots:
    void initTestCase() { buildRegisterMap(); }

    void init()
    {
        QString error;
        emu = startEmulatedUnits("127.0.31.2", 2, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
    }

    void cleanup() { emu.reset(); }

    void requestBytesAndAnswers()
    {
        auto u = makeUnit();
        QVERIFY(u->writeRegister(measTime1, Q_UINT64_C(0x123456789ABC), true, 6));
        QCOMPARE(emu->requests(0).last(), hex("FF800706B4000016123456789ABC"));
        QCOMPARE(u->lastValue, Q_UINT64_C(0x123456789ABC));

        QVERIFY(u->readRegister(measTime1, true, 6));
        QCOMPARE(emu->requests(0).last(), hex("FFC00606B4000016"));
        QCOMPARE(u->lastAddress, measTime1);
        QCOMPARE(u->lastHeader, 0xFFC80606u); // the request's head with the reply flag
        QCOMPARE(u->lastPayload, hex("123456789ABC"));
        QCOMPARE(u->lastValue, Q_UINT64_C(0x123456789ABC));

        QVERIFY(u->writeRegister(clear, 0x1234, true, 2));
        QCOMPARE(emu->requests(0).last(), hex("FF800702B40000401234"));
        QVERIFY(u->writeRegister(mode, 0x1234, true, 4));
        QCOMPARE(emu->requests(0).last(), hex("FF800704B400001000001234"));
        QVERIFY(u->readRegister(mode, true, 4));
        QCOMPARE(u->lastValue, quint64(0x1234));
        QCOMPARE(emu->reg(0, mode + 2), quint16(0x1234));
        QCOMPARE(udpIndicator(*u), QString(StyleSheets::green));
    }

    void decodingShortExactAndLongAnswers()
    {
        auto u = makeUnit();
        u->parseAnswer(hex("FFC80606B4000016000000000100"));
        QCOMPARE(u->lastValue, quint64(256));
        QCOMPARE(u->lastHeader, 0xFFC80606u);
        QCOMPARE(u->lastAddress, 0xB4000016u);

        u->parseAnswer(hex("FFC8060601"));
        QCOMPARE(u->lastHeader, 0xFFC80606u);
        QCOMPARE(u->lastAddress, 0u);
        QVERIFY(u->lastPayload.isEmpty());
        QCOMPARE(u->lastValue, quint64(0));

        // A payload longer than the value can hold: its first 8 bytes count, nothing overflows.
        u->parseAnswer(hex("FFC8060CB4000010"
                           "0102030405060708090A0B0C"));
        QCOMPARE(u->lastValue, Q_UINT64_C(0x0102030405060708));
        QCOMPARE(u->lastPayload.size(), 12);
        QCOMPARE(u->lastAnswer.size(), 20);
    }

    void timeoutClearsFieldsAndTurnsPink()
    {
        auto u = makeUnit();
        QVERIFY(u->writeRegister(mode, 7, true, 2));
        QSignalSpy logs(u.get(), &VexUnit::log);
        UnitFaults mute;
        mute.noAnswer = true;
        emu->setFaults(0, mute);
        QElapsedTimer t;
        t.start();
        QVERIFY(!u->readRegister(8, true, 4));
        QVERIFY(t.elapsed() >= 450);
        QCOMPARE(logs.size(), 1);
        QCOMPARE(logs.first().at(0).toString(),
                 QString("dsp1: Err. Timeout waiting ans from UDP for CMD [00000008]"));
        QCOMPARE(logs.first().at(1).value<QColor>(), QColor(0, 0, 0));
        QCOMPARE(u->lastValue, quint64(0));
        QCOMPARE(u->lastHeader, 0u);
        QVERIFY(u->lastAnswer.isEmpty() && u->lastPayload.isEmpty());
        QCOMPARE(udpIndicator(*u), QString(StyleSheets::pink));

        emu->setFaults(0, UnitFaults());
        QVERIFY(u->readRegister(mode, true, 2));
        QCOMPARE(u->lastValue, quint64(7));
        QCOMPARE(udpIndicator(*u), QString(StyleSheets::green));
    }

    void answersForOtherAddressesAreNeverTaken()
    {
        auto u = makeUnit();
        QVERIFY(u->writeRegister(mode, 5, true, 2));

        UnitFaults stray;
        stray.strayDatagram = true;
        emu->setFaults(0, stray);
        QVERIFY(u->readRegister(mode, true, 2));
        QCOMPARE(u->lastAddress, mode);
        QCOMPARE(u->lastValue, quint64(5));

        UnitFaults wrong;
        wrong.wrongAddress = true;
        emu->setFaults(0, wrong);
        QElapsedTimer t;
        t.start();
        QVERIFY(!u->readRegister(mode, true, 2));
        QVERIFY(t.elapsed() < 1000); // dropped within the same wait, not a wait per datagram
        QCOMPARE(u->lastAddress, 0u);
    }

    void lateAnswerIsNotTakenForTheNextRequest()
    {
        auto u = makeUnit();
        QVERIFY(u->writeRegister(mode, 0x55, true, 2));
        QVERIFY(u->writeRegister(clear, 0, true, 2));
        UnitFaults late;
        late.answerDelayMs = 700;
        emu->setFaults(0, late);
        QVERIFY(!u->readRegister(mode, true, 2));
        emu->setFaults(0, UnitFaults());
        QThread::msleep(400); // the late answer is queued now, with no event loop to take it
        QVERIFY(u->readRegister(clear, true, 2));
        QCOMPARE(u->lastAddress, clear);
        QCOMPARE(u->lastValue, quint64(0));
        // and a late answer to the same address is not taken for a fresh read either
        emu->setFaults(0, late);
        QVERIFY(!u->readRegister(mode, true, 2));
        emu->setFaults(0, UnitFaults());
        QVERIFY(u->writeRegister(mode, 0x66, true, 2));
        QThread::msleep(400);
        QVERIFY(u->readRegister(mode, true, 2));
        QCOMPARE(u->lastValue, quint64(0x66));
    }

    void unsolicitedDatagramsAreDecodedAndSignalled()
    {
        auto u = makeUnit();
        QVERIFY(u->readRegister(mode, true, 2)); // binds the unit's socket
        QSignalSpy ready(u.get(), &VexUnit::lastUdpDataReady);
        QUdpSocket sender;
        sender.writeDatagram(hex("FFC80602B40000100102"), QHostAddress::LocalHost, u->udpSocket.localPort());
        sender.writeDatagram(hex("FFC80602B40000140304"), QHostAddress::LocalHost, u->udpSocket.localPort());
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 2, 2000);
        QCOMPARE(u->lastAddress, 0xB4000014u);
        QCOMPARE(u->lastValue, quint64(0x0304));
    }

    void tcpIndicatorFollowsTheConnection()
    {
        auto u = makeUnit();
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::grey));
        QSignalSpy logs(u.get(), &VexUnit::log);
        u->openTcp();
        QCOMPARE(logs.first().at(0).toString(), QString("dsp1: Trying to connect via TCP"));
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::yellow));
        QTRY_VERIFY_WITH_TIMEOUT(u->tcpIsConnected, 2000);
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::green));
        QCOMPARE(logs.last().at(0).toString(), QString("dsp1: tcp connected"));
        QTRY_COMPARE_WITH_TIMEOUT(emu->tcpClientCount(0), 1, 2000);
        emu->closeTcp(0);
        QTRY_VERIFY_WITH_TIMEOUT(!u->tcpIsConnected, 2000);
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::grey));
        QCOMPARE(logs.at(logs.size() - 2).at(0).toString(), QString("dsp1: tcp disconnected"));
        QCOMPARE(logs.last().at(0).toString(),
                 QString("dsp1: re-opening the TCP connection every 1000 ms until it is made"));
        // A lost data connection is opened again.
        QTRY_VERIFY_WITH_TIMEOUT(u->tcpIsConnected, 5000);
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::green));
    }

    void refusedConnectionStaysYellow()
    {
        UnitFaults refuse;
        refuse.refuseTcp = true;
        emu->setFaults(1, refuse);
        auto u = makeUnit(1);
        u->openTcp();
        QTest::qWait(300);
        QVERIFY(!u->tcpIsConnected);
        QCOMPARE(tcpIndicator(*u), QString(StyleSheets::yellow));
    }

    void panelShowsNameAndAddress()
    {
        auto u = makeUnit(1);
        QCOMPARE(u->unitStat.findChild<QLineEdit*>("ID")->text(), QString("dsp1"));
        QCOMPARE(u->unitStat.findChild<QLineEdit*>("IP")->text(), QString("127.0.31.3"));
        QCOMPARE(u->hostAddress, QHostAddress("127.0.31.3"));
    }
};

QTEST_MAIN(TestVexUnit)
#include "tst_vexunit.moc"
