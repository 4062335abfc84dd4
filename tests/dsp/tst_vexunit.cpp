#include "dsp/DspReg.h"
#include "dsp/VexUnit.h"
#include "sim/EmulatedUnits.h"

#include <QElapsedTimer>
#include <QtTest>

// Which answer the register transport of one unit takes for which request, against an
// emulated unit whose event loop the test holds back (the end-to-end tests see the bytes).
class TestVexUnit : public QObject
{
    Q_OBJECT

    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<VexUnit> u;

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
