#include "widgets/StatDisp.h"
#include "widgets/StyleSheets.h"

#include <QtTest>

class TestStatDisp : public QObject
{
    Q_OBJECT

    static void expect(const StatDisp& s, const QString& text, const QString& style)
    {
        QCOMPARE(s.text(), text);
        QCOMPARE(s.statStyle(), style);
    }

private slots:
    void startsBlue()
    {
        StatDisp s;
        expect(s, "Status", "background-color: rgb(85, 85, 255);");
    }

    void slotsSetTextAndColour()
    {
        const QString green = StyleSheets::green, pink = StyleSheets::pink, grey = StyleSheets::grey,
                      yellow = StyleSheets::yellow;
        StatDisp s;
        s.setRunning("run");
        expect(s, "run", green);
        s.setStay();
        expect(s, "", grey);
        s.setInTransition("t");
        expect(s, "t", yellow);
        s.setRunning();
        expect(s, "", green);
        s.setOkNG(false, "ok");
        expect(s, "", pink);
        s.setOkNG(false, "ok", "ng");
        expect(s, "ng", pink);
        s.setOkNG(true, "ok", "ng");
        expect(s, "ok", green);
        s.setOkNG(false);
        expect(s, "", pink);
        s.setNG("bad");
        expect(s, "bad", pink);
        s.setOk("good");
        expect(s, "good", green);
        s.setStay("idle");
        expect(s, "idle", grey);
        s.setInTransition();
        expect(s, "", yellow);
        s.setNG();
        expect(s, "", pink);
        s.setOk();
        expect(s, "", green);
    }

    void runStatWithNames()
    {
        const QStringList names{"On", "Off", "Trans"};
        StatDisp s;
        s.setRunStat(RunStat::Running, names);
        expect(s, "On", StyleSheets::green);
        s.setRunStat(RunStat::Stay, names);
        expect(s, "Off", StyleSheets::grey);
        s.setRunStat(RunStat::InTransition, names);
        expect(s, "Trans", StyleSheets::yellow);
        s.setRunStat(static_cast<RunStat>(3), names);
        expect(s, "Trans", StyleSheets::yellow);
        s.setRunStat(RunStat::Stay);
        expect(s, "", StyleSheets::grey);
    }

    void textAndStyleSetSeparately()
    {
        StatDisp s;
        s.setText("x");
        expect(s, "x", "background-color: rgb(85, 85, 255);");
        s.setStyleSheet("color: red;");
        expect(s, "x", "color: red;");
        QCOMPARE(static_cast<QFrame&>(s).styleSheet(), QString());
        s.setOk();
        expect(s, "", StyleSheets::green);
    }
};

QTEST_MAIN(TestStatDisp)
#include "tst_statdisp.moc"
