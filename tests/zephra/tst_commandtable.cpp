#include "zephra/CommandTable.h"

#include <QSet>
#include <QtTest>

// The command table and the texts of the built-in commands.
class TestCommandTable : public QObject
{
    Q_OBJECT

    static CommandTable tavikTable()
    {
        CommandTable t;
        for (const Command& c : CommandTable::tavikCommands())
            t.addCommand(c.id, c.name, c.help);
        return t;
    }

private slots:
    void holdsTheFortyFiveRowsOnce()
    {
        const CommandTable t = tavikTable();
        QCOMPARE(t.rows().size(), 45);
        QSet<int> ids;
        for (const Command& c : t.rows())
            ids.insert(c.id);
        QCOMPARE(ids.size(), 45);
        QVERIFY(!ids.contains(45) && !ids.contains(int(CmdUnknown)));
        QCOMPARE(t.idOf("GetDataLinkCh"), 3);
        QCOMPARE(t.idOf("GetRealTime"), 19);
        QCOMPARE(t.idOf("SetMeasTimeInSec"), 43);
        QCOMPARE(t.idOf("getmcalength"), int(CmdUnknown));
        QCOMPARE(t.helpOf("GetThreshold"), QString("Get Thresold of a ch  (returns dummy value)"));
        QVERIFY(t.helpOf("Nope").isEmpty());
    }

    void listsWordsInTableOrder()
    {
        const QStringList words = tavikTable().commandList().split(' ');
        QCOMPARE(words.size(), 45);
        QCOMPARE(words.mid(0, 4), QStringList({"Hello", "Help", "IsBusy", "GetMCALength"}));
        QCOMPARE(words.mid(26, 2), QStringList({"GetRealTime", "GetLiveTime"}));
        QCOMPARE(words.mid(42), QStringList({"GetHistgram", "GetMeasTimeInSec", "SetMeasTimeInSec"}));
    }

    void refusesDuplicateIdsAndNames()
    {
        CommandTable t = tavikTable();
        QTest::ignoreMessage(QtDebugMsg, "Duplicated id 3 \"Other\" \"x\"");
        QVERIFY(!t.addCommand(3, "Other", "x"));
        QTest::ignoreMessage(QtDebugMsg, "Duplicated msg 99 \"Hello\" \"y\"");
        QVERIFY(!t.addCommand(99, "Hello", "y"));
        // The identifier is compared first, row by row.
        QTest::ignoreMessage(QtDebugMsg, "Duplicated msg 3 \"Hello\" \"z\"");
        QVERIFY(!t.addCommand(3, "Hello", "z"));
        QCOMPARE(t.rows().size(), 45);
        QCOMPARE(t.helpOf("Hello"), QString("Answer greeting message"));
        QCOMPARE(t.idOf("Other"), int(CmdUnknown));
    }

    void leavesMarkedAndEmptyNamesOutOfTheList()
    {
        CommandTable t;
        t.addCommand(1, "A", "");
        t.addCommand(2, "@B", "");
        t.addCommand(3, "_C", "");
        t.addCommand(4, "", "");
        t.addCommand(5, "D", "");
        QCOMPARE(t.commandList(), QString("A D"));
        QCOMPARE(t.idOf("@B"), 2);
    }

    void answersHelpAndHello()
    {
        const CommandTable t = tavikTable();
        QVERIFY(t.helpText({}).startsWith("Commands : Hello Help IsBusy GetMCALength "));
        QCOMPARE(t.helpText({"GetROI", "ignored"}), QString(": Get ROI of a Ch"));
        QCOMPARE(t.helpText({"runstart"}), QString("Er: Command [runstart] not found."));
        QCOMPARE(CommandTable::helloText("Tavik"), QString("Hello! I am Tavik. Nice to meet you!"));
    }
};

QTEST_APPLESS_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
