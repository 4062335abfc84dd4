#include "dsp/DspReg.h"
#include "hv/VexHv.h"
#include "sim/units/UnitAddresses.h"
#include "tests/support/EmulatedUnits.h"
#include "widgets/StyleSheets.h"

#include <QtTest>

// The HV unit controller against the emulated HV unit (unit 0), its watch run by hand on
// pinned status and voltage words.
class TestVexHv : public QObject
{
    Q_OBJECT

    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<VexHv> hv;
    QStringList seen;

    // The signals of one watch on these words, then "|" and the panel: Emergency, Polarity,
    // HvOn and SweepStat as "text@colour", and the voltage field.
    QString watch(quint16 status, quint16 voltageWord)
    {
        emu->pinReg(0, UnitAddresses::hvStat, status);
        emu->pinReg(0, UnitAddresses::hvValue, voltageWord);
        seen.clear();
        QMetaObject::invokeMethod(hv.get(), "watch");
        const QStringList styles{StyleSheets::green, StyleSheets::pink, StyleSheets::grey,
                                 StyleSheets::yellow};
        QStringList looks;
        for (const StatDisp* s : {hv->ui.Emergency, hv->ui.Polarity, hv->ui.HvOn, hv->ui.SweepStat})
            looks << s->text() + '@' +
                         QString("green pink grey yellow").split(' ').value(styles.indexOf(s->statStyle()));
        return seen.join(',') + '|' + looks.join(' ') + ' ' + hv->ui.Voltage->text();
    }

private Q_SLOTS:
    void init()
    {
        QString error;
        emu = startEmulatedUnits("127.0.34.2", 0, &error, true);
        QVERIFY2(emu, qPrintable(error));
        buildRegisterMap();
        VexUnit::setPorts(emu->udpPort(), 0);
        hv = std::make_unique<VexHv>("hv1", emu->unitAddress(0).toString());
        auto as = [this](const char* name) {
            return [=](auto v) { seen << QString("%1 %2").arg(name).arg(v); };
        };
        connect(hv.get(), &VexHv::changedInEmergency, this, as("emergency"));
        connect(hv.get(), &VexHv::changedPolarity, this, as("polarity"));
        connect(hv.get(), &VexHv::changedIsOn, this, as("on"));
        connect(hv.get(), &VexHv::changedSweep, this, as("sweep"));
        connect(hv.get(), &VexHv::changedVoltage, this, as("voltage"));
    }

    void watchedWords_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("seenFirst"); // signals|panel
        QTest::newRow("on") << 0x34
                            << QString(
                                   "emergency 1,polarity 1,on 1,sweep 2|@green Pos@green @green On@green");
        QTest::newRow("trans") << 0x02 << QString("sweep 1|@pink Neg@pink @pink Trans@yellow");
        QTest::newRow("unknown") << 0x07 << QString("sweep 3|@pink Neg@pink @pink Off@grey");
        QTest::newRow("emergency") << 0x40 << QString("emergency 1|@green Neg@pink @pink Off@grey");
    }

    // Each word from the start, then again with the voltage 3 and 4 steps of the word above
    // 0 V and 4 below it, then with the unit silent.
    void watchedWords()
    {
        QFETCH(int, word);
        QFETCH(QString, seenFirst);
        const QString look = seenFirst.section('|', 1);
        QCOMPARE(watch(word, 32767), seenFirst + " 0");
        hv->ui.SweepStat->setStyleSheet("stale");
        QCOMPARE(watch(word, 32767 + 3), '|' + look + " 0"); // shown again; 0.0183 V is no change
        QCOMPARE(watch(word, 32767 + 4), "voltage 0.0244148|" + look + " 0.0244148");
        QCOMPARE(watch(word, 32767 - 4), "voltage -0.0244148|" + look + " -0.0244148"); // falling too
        emu->setFaults(0, UnitFaults{true}); // no answers: not "all off", not -200 V
        QCOMPARE(watch(0, 0), '|' + look + " -0.0244148");
    }
};

QTEST_MAIN(TestVexHv)
#include "tst_vexhv.moc"
