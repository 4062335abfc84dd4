#include "dsp/DspReg.h"
#include "dsp/RegisterFrame.h"

#include <QtTest>

class TestRegisterMap : public QObject
{
    Q_OBJECT

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

private slots:
    void initTestCase() { buildRegisterMap(); }

    void listsHaveTheirSizesAndOrder()
    {
        QCOMPARE(unitLinkRegs.size(), 2);
        QCOMPARE(unitRegs.size(), 46);
        QCOMPARE(channelRegs.size(), 26);
        QCOMPARE(channelStatusRegs.size(), 15);
        QCOMPARE(hvRegs.size(), 3);
        QCOMPARE(allRegs.size(), 89);
        QCOMPARE(allRegs.first().key, QString("DTDelay1"));
        QCOMPARE(allRegs.last().key, QString("DeadTime3"));
        QCOMPARE(channelOffsets, QVector<int>({0x000, 0x200, 0x400, 0x600}));
    }

    void entriesAsTabled()
    {
        const auto labelOf = [](const QString& key) {
            for (const DspReg& r : allRegs)
                if (r.key == key) return r.label;
            return QString();
        };
        QCOMPARE(labelOf("DAQMonSel"), QString("DAC Monitor Selet"));
        QCOMPARE(labelOf("MeasTime3"), QString("MEas Time 3 (LSB)"));
        QCOMPARE(findRegAddress(unitRegs, "FSCAAux8Tmg"), 0xB40000E4u);
        QCOMPARE(findRegAddress(unitRegs, "ROI8End"), 0xB40000BCu);
        QCOMPARE(findRegAddress(channelRegs, "FFilterType"), 0xB40002D4u);
        QCOMPARE(findRegAddress(hvRegs, "HV On/Off"), 0xB400220Eu);
        const DspReg& histgram = unitRegs.at(10);
        QCOMPARE(histgram.key, QString("Histgram"));
        QVERIFY(!histgram.readable && histgram.writable);
        QVERIFY(!channelStatusRegs.first().writable);
        // addresses are unique even words within each list
        for (const QVector<DspReg>* list :
             {&unitLinkRegs, &unitRegs, &channelRegs, &channelStatusRegs, &hvRegs}) {
            QSet<quint32> seen;
            for (const DspReg& r : *list) {
                QVERIFY(r.regAddress % 2 == 0);
                QVERIFY(!seen.contains(r.regAddress));
                seen.insert(r.regAddress);
            }
        }
    }

    void keyResolution()
    {
        QCOMPARE(findRegAddress(unitRegs, "start"), 0u);
        QCOMPARE(findRegAddress(unitRegs, "Start"), 0xB4000014u);
        QCOMPARE(resolveRegAddress("CoarseGain", clampChannel(7)), 0xB4000800u);
        QCOMPARE(resolveRegAddress("CoarseGain", clampChannel(-1)), 0xB4000200u);
        QCOMPARE(resolveRegAddress("CoarseGain", 2), 0xB4000600u);
        QCOMPARE(resolveRegAddress("CoarseGain", -1), 0xB4000200u);
        QCOMPARE(resolveRegAddress("DTDelay1", 3), 8u);
        QCOMPARE(resolveRegAddress("Mode", 2), 0xB4000010u);
        QCOMPARE(resolveRegAddress("ICR1", 1), 0xB400042Cu);
        QCOMPARE(resolveRegAddress("HV Stat", -1), 0u);
        QCOMPARE(resolveRegAddress("coarsegain", 0), 0u);
    }

    void answerAddressField()
    {
        QCOMPARE(answerAddress(hex("FFC80602B4000010"
                                   "1234")),
                 0xB4000010u);
        QCOMPARE(answerAddress(hex("FFC80602B40000")), 0u);
        QCOMPARE(answerAddress(QByteArray()), 0u);
    }

    void bigEndianValues()
    {
        QCOMPARE(decodeBigEndian(6, hex("00003B9ACA00")), Q_UINT64_C(1000000000));
        QCOMPARE(decodeBigEndian(2, hex("ABCD99")), quint64(0xABCD));
        QCOMPARE(decodeBigEndian(4, hex("ABCD")), quint64(0));
        QCOMPARE(decodeBigEndian(0, hex("AB")), quint64(0));
        QCOMPARE(decodeBigEndian(-1, hex("AB")), quint64(0));
    }
};

QTEST_APPLESS_MAIN(TestRegisterMap)
#include "tst_registermap.moc"
