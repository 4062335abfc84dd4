#include "widgets/LogArea.h"
#include "widgets/StatDisp.h"
#include "widgets/StyleSheets.h"

#include <QTextBlock>
#include <QtTest>

// The log area and the status indicators.
class TestWidgets : public QObject
{
    Q_OBJECT

    static QColor colourOf(const QTextBlock& b)
    {
        return b.begin().fragment().charFormat().foreground().color();
    }

private slots:
    void logKeepsItsLastLinesAndTheirColours()
    {
        LogArea area(nullptr, 4);
        QTextDocument* doc = area.display()->document();
        area.log("a");
        area.log("b\nc", QColor(255, 0, 0)); // counts as two lines
        area.log("d");
        QCOMPARE(doc->toPlainText(), QString("b\nc\nd\n"));
        QCOMPARE(colourOf(doc->firstBlock()), QColor(255, 0, 0));
        QCOMPARE(colourOf(doc->findBlockByNumber(2)), QColor(0, 0, 0));

        // A line goes in at the cursor; the cursor then follows the end.
        LogArea other;
        other.log("first");
        other.log("third");
        QTextCursor cursor = other.display()->textCursor();
        cursor.setPosition(QString("first\n").size());
        other.display()->setTextCursor(cursor);
        other.log("second");
        other.log("fourth");
        QCOMPARE(other.display()->toPlainText(), QString("first\nsecond\nthird\nfourth\n"));
    }

    void indicatorsShowTextAndColour()
    {
        StatDisp s;
        QCOMPARE(s.text() + ' ' + s.statStyle(), QString("Status background-color: rgb(85, 85, 255);"));
        const QStringList names{"On", "Off", "Trans"};
        const std::pair<RunStat, QString> rows[] = {{RunStat::Running, StyleSheets::green},
                                                    {RunStat::Stay, StyleSheets::grey},
                                                    {RunStat::InTransition, StyleSheets::yellow}};
        for (int i = 0; i < 3; ++i) {
            s.setRunStat(rows[i].first, names);
            QCOMPARE(s.text() + ' ' + s.statStyle(), names[i] + ' ' + rows[i].second);
        }
        s.setOkNG(false, "ok", "ng");
        QCOMPARE(s.text() + ' ' + s.statStyle(), "ng " + QString(StyleSheets::pink));
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
