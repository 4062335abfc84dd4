#include "dsp/DspReg.h"
#include "dsp/RegisterFrame.h"
#include "dsp/VexUnit.h"
#include "sim/EmulatedUnits.h"

#include <QElapsedTimer>
#include <QtTest>

// The register transport of one unit against an emulated unit, over real sockets: the
// bytes, and which answer is taken for which request.
class TestVexUnit : public QObject
{
    Q_OBJECT

    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<VexUnit> u;

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

private slots:
    void init()
    {
        buildRegisterMap();
        QString error;
        emu = startEmulatedUnits("127.0.31.2", 1, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
        u = std::make_unique<VexUnit>("dsp1", emu->unitAddress(0).toString());
    }

    void cleanup()
    {
        u.reset();
        emu.reset();
    }

    void requestsAndAnswers()
    {
        QVERIFY(u->writeRegister(A::measTime1, Q_UINT64_C(0x123456789ABC), true, 6));
        QVERIFY(u->writeRegister(A::mode, 0x1234, true, 4));
        QCOMPARE(u->lastHeader, 0xFF880704u); // the request's head with the reply flag
        QCOMPARE(u->lastAddress, A::mode);
        QCOMPARE(u->readValue(A::measTime1, 6), Q_UINT64_C(0x123456789ABC));
        QCOMPARE(emu->requests(0).mid(1),
                 (QList<QByteArray>{hex("FF800704B400001000001234"), hex("FFC00606B4000016")}));
        QCOMPARE(u->lastPayload, hex("123456789ABC"));
        // Short and long answers: nothing is read beyond what came, nothing overflows.
        u->parseAnswer(hex("FFC8060601"));
        QVERIFY(u->lastHeader == 0xFFC80606u && u->lastAddress == 0 && u->lastPayload.isEmpty() &&
                u->lastValue == 0);
        u->parseAnswer(hex("FFC8060CB40000100102030405060708090A0B0C"));
        QCOMPARE(u->lastValue, Q_UINT64_C(0x0102030405060708));
        QCOMPARE(answerAddress(hex("FFC80602B40000")) + decodeBigEndian(4, hex("ABCD")), quint64(0));
    }

    void onlyTheAnswerToThisRequestIsTaken()
    {
        QVERIFY(u->writeRegister(A::mode, 5, true, 2));
        UnitFaults f;
        f.strayDatagram = true; // an answer for another address comes first
        emu->setFaults(0, f);
        QCOMPARE(u->readValue(A::mode, 2), quint64(5));
        f = UnitFaults();
        f.wrongAddress = true;
        emu->setFaults(0, f);
        QElapsedTimer t;
        t.start();
        QVERIFY(!u->readRegister(A::mode, true, 2));
        QVERIFY(t.elapsed() < 1000); // dropped within the same wait, not a wait per datagram

        // A late answer is not taken for the next request, even to the same address.
        f = UnitFaults();
        f.answerDelayMs = 700;
        for (quint32 next : {A::clear, A::mode}) {
            emu->setFaults(0, f);
            QVERIFY(!u->readRegister(A::mode, true, 2));
            emu->setFaults(0, UnitFaults());
            QVERIFY(u->writeRegister(next, 0x66, true, 2));
            // Until the late answer waits in the socket, with no event loop to take it.
            QDeadlineTimer deadline(2000);
            while (!u->udpSocket.hasPendingDatagrams() && !deadline.hasExpired())
                QThread::msleep(1);
            QCOMPARE(u->readValue(next, 2), quint64(0x66));
        }
    }
};

QTEST_MAIN(TestVexUnit)
#include "tst_vexunit.moc"
