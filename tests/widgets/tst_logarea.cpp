#include "widgets/LogArea.h"

#include <QTextBlock>
#include <QtTest>

class TestLogArea : public QObject
{
    Q_OBJECT

    static QColor colourOfLine(QTextEdit* edit, int line)
    {
        const QTextBlock block = edit->document()->findBlockByNumber(line);
        return block.begin().fragment().charFormat().foreground().color();
    }

private slots:
    void blockLimitDropsOldestLines()
    {
        LogArea area(nullptr, 2000);
        QTextDocument* doc = area.display()->document();
        for (int i = 1; i <= 1999; ++i)
            area.log(QString("line %1").arg(i));
        QCOMPARE(doc->blockCount(), 2000);
        QCOMPARE(doc->firstBlock().text(), QString("line 1"));

        area.log("line 2000");
        QCOMPARE(doc->blockCount(), 2000);
        QCOMPARE(doc->firstBlock().text(), QString("line 2"));
        QCOMPARE(doc->lastBlock().text(), QString());
        QCOMPARE(doc->lastBlock().previous().text(), QString("line 2000"));
    }

    void multiLineMessagesCountAsSeveralLines()
    {
        LogArea area(nullptr, 4);
        area.log("a");
        area.log("b\nc");
        QTextDocument* doc = area.display()->document();
        QCOMPARE(doc->blockCount(), 4);
        QCOMPARE(doc->toPlainText(), QString("a\nb\nc\n"));
        area.log("");
        QCOMPARE(doc->toPlainText(), QString("b\nc\n\n"));
    }

    void coloursStayPerLine()
    {
        LogArea area;
        area.log("plain");
        area.log("alarm", QColor(255, 0, 0));
        area.log("info", QColor(0, 0, 255));
        QTextEdit* edit = area.display();
        QCOMPARE(colourOfLine(edit, 0), QColor(0, 0, 0));
        QCOMPARE(colourOfLine(edit, 1), QColor(255, 0, 0));
        QCOMPARE(colourOfLine(edit, 2), QColor(0, 0, 255));
    }

    void insertsAtCursorThenFollowsEnd()
    {
        LogArea area;
        area.log("first");
        area.log("third");
        QTextEdit* edit = area.display();
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(QString("first\n").size());
        edit->setTextCursor(cursor);
        area.log("second");
        area.log("fourth");
        QCOMPARE(edit->toPlainText(), QString("first\nsecond\nthird\nfourth\n"));
        QVERIFY(edit->textCursor().atEnd());
    }
};

QTEST_MAIN(TestLogArea)
#include "tst_logarea.moc"
