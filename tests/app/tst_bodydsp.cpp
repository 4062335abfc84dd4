#include "app/Body.h"
#include "config/ConfigStore.h"
#include "dsp/VexDA.h"
#include "sim/EmulatedUnits.h"
#include "widgets/StyleSheets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include <memory>

// The main window's set-up from VEXDA and VEXHV lines, against two emulated DSP units and
// the HV unit: every window here holds the HV panels too.
class TestBodyDsp : public QObject
{
    Q_OBJECT

    static constexpr quint32 measTime1 = 0xB4000016;
    std::unique_ptr<UnitEmulatorThread> emu;

    static void add(const QString& key, const QString& rest)
    {
        QString first = rest.simplified().section(' ', 0, 0);
        configStore.add(key, first, rest);
    }

private slots:
    void initTestCase()
    {
        QString error;
        emu = startEmulatedUnits("127.0.33.2", 2, &error, true);
        QVERIFY2(emu, qPrintable(error));
        add("VEX_UDP_PORT", QString(" %1").arg(emu->udpPort()));
        add("VEX_TCP_PORT", QString(" %1").arg(emu->tcpPort()));
        add("VEXDA", " dsp1 127.0.33.2 1 0 1 1");
        add("vexda", " dsp2 127.0.33.3 1 yes 2 1");
        add("EMULATE_DSP_SIGNAL", " 1");
        add("VEXHV", " hv1 127.0.33.4");
        emu->setReg(0, measTime1, 0);
        emu->setReg(1, measTime1, 0);
    }

    void cleanupTestCase() { emu.reset(); }

    void unitsChannelsAndPanels()
    {
        Body body;
        const QVector<VexDA*>& units = body.dspGroup().units();
        QCOMPARE(units.size(), 2);
        QCOMPARE(units.at(0)->unitName, QString("dsp1"));
        QCOMPARE(units.at(1)->ipAddress, QString("127.0.33.3"));
        QCOMPARE(units.at(0)->channelEnabled, QByteArray("\x01\x00\x01\x01", 4));
        QCOMPARE(units.at(1)->channelEnabled, QByteArray("\x01\x00\x00\x01", 4));
        QCOMPARE(units.at(0)->roiEnd, QVector<int>(4, 2047));
        QCOMPARE(units.at(1)->lastMcaSet()->blocks.size(), 4);

        QVector<QPair<QString, int>> elements;
        for (const ChannelRef& ref : body.channelList())
            elements << qMakePair(ref.unit->unitName, ref.ch);
        QCOMPARE(elements, (QVector<QPair<QString, int>>{
                               {"dsp1", 0}, {"dsp1", 2}, {"dsp1", 3}, {"dsp2", 0}, {"dsp2", 3}}));

        auto* grid = body.findChild<QGridLayout*>("DspStats");
        for (int row = 0; row < 2; ++row) {
            QWidget* panel = grid->itemAtPosition(row, 0)->widget();
            QCOMPARE(panel, static_cast<QWidget*>(&units.at(row)->unitStat));
            QCOMPARE(panel->findChild<QLineEdit*>("ID")->text(), units.at(row)->unitName);
            QCOMPARE(panel->findChild<QLineEdit*>("IP")->text(), units.at(row)->ipAddress);
        }
        for (int row = 0; row < 2; ++row) {
            auto* tcp = grid->itemAtPosition(row, 0)->widget()->findChild<StatDisp*>("TCPStat");
            QTRY_COMPARE_WITH_TIMEOUT(tcp->statStyle(), QString(StyleSheets::green), 3000);
        }
        QCOMPARE(emu->regs(0, measTime1, 3), Dsp::maxMeasTime);
        QCOMPARE(emu->regs(1, measTime1, 3), Dsp::maxMeasTime);
        QVERIFY(emu->requests(1).contains(QByteArray::fromHex("FF8007040000000800000000")));
    }

    void emulateBoxFollowsTheKeyAndDrivesEveryUnit()
    {
        Body body;
        auto* box = body.findChild<QCheckBox*>("EmulateSignal");
        QVERIFY(box->isChecked());
        for (VexDA* unit : body.dspGroup().units())
            QVERIFY(unit->emulateSignal);
        box->setChecked(false);
        for (VexDA* unit : body.dspGroup().units())
            QVERIFY(!unit->emulateSignal);
    }

    void closingLeavesNoDanglingPanels()
    {
        QPointer<VexDA> unit;
        {
            Body body;
            unit = body.dspGroup().units().first();
        }
        QVERIFY(unit);
        QTRY_VERIFY_WITH_TIMEOUT(!unit, 2000); // deleted once, later, with its panel
    }
};

QTEST_MAIN(TestBodyDsp)
#include "tst_bodydsp.moc"
