#include "config/ConfigStore.h"
#include "config/ConfigText.h"

#include <QTemporaryDir>
#include <QtTest>

// The configuration's text rules row by row, and the store filled from a file and the
// command line; files that are huge or no regular files.
class TestConfigText : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    ConfigStore store;

    QString file(const QByteArray& content)
    {
        const QString name = dir.filePath(QString::number(qHash(content)));
        QFile f(name);
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size() ? name : QString();
    }

    static void parse(ConfigStore& options, QList<QByteArray> args)
    {
        QVector<char*> argv;
        for (QByteArray& a : args)
            argv << a.data();
        options.parseCommandLine(argv.size(), argv.data());
    }

    QString apply(const QString& rule, const QString& input)
    {
        QString item;
        if (rule == "comment") return stripComment(input);
        if (rule == "blank") return QString::number(isBlankLine(input));
        if (rule == "flag") return QString::number(isFlagSet(input));
        if (rule == "item") return takeFirstItem(input, item) + '|' + item;
        if (rule == "items") return splitItems(input).join('|');
        if (rule == "clip") return clipForLog(input);
        return store.value(input, "def") + '|' + store.rest(input, "def"); // lookup
    }

private Q_SLOTS:
    void initTestCase()
    {
        store.readFile(
            file("# header\nZEPHRA_IP  10.0.0.5  # lab server\r\n\nKEY_ON_ZEPHRA \"C:/my keys/a.key\"\n"
                 "APOS it's # x\n\"MY KEY\" 5\nKEYONLY\nVEXDA dsp1 127.0.0.2 1 1 1 1\n"
                 "vexda dsp2 127.0.0.3 1 0 1 0\nzephra_port 7000\nZEPHRA_PORT 8000\n"));
    }

    // Each row is one rule, its cases "input => expected".
    void textRules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("cases");
        QTest::newRow("'#' starts a comment outside quotes of either kind")
            << "comment"
            << QStringList{"NAME a # b => NAME a ", "NAME \"a # b\" # c => NAME \"a # b\" ",
                           "NAME it's # x => NAME it's # x", "A \"x' # y => A \"x' ", "# all => "};
        QTest::newRow("blanks and comments only are blank")
            << "blank" << QStringList{" \t   => 1", "   # comment => 1", "\"#\" => 0"};
        QTest::newRow("only the number 1 sets a flag")
            << "flag" << QStringList{"1 => 1", "2 => 0", "yes => 0", " => 0"};
        QTest::newRow("an item is a word or quoted, the rest follows")
            << "item"
            << QStringList{"  10.0.0.5   =>   |10.0.0.5",
                           "\"C:/my keys/a.key\" rest =>  rest|C:/my keys/a.key",
                           "\"\" x =>  x|",
                           "    => |",
                           "\"open ended => |open ended",
                           "ab\" c =>  c|ab\""};
        QTest::newRow("items split at blanks, a quoted one whole")
            << "items" << QStringList{R"(a "b c" "" d => a|b c||d)"};
        QTest::newRow("outside text is clipped for the log")
            << "clip"
            << QStringList{"short => short", QString(1000000, 'x') + " => " + QString(logTextLimit, 'x') +
                                                 "... [999800 more characters]"};
        QTest::newRow("a key is looked up in any case, the first line wins")
            << "lookup"
            << QStringList{"ZEPHRA_IP => 10.0.0.5|  10.0.0.5  ",
                           "KEY_ON_ZEPHRA => C:/my keys/a.key| \"C:/my keys/a.key\"",
                           "APOS => it's| it's # x",
                           "MY KEY => 5| 5",
                           "KEYONLY => |",
                           "MISSING => def|def",
                           "ZEPHRA_port => 7000| 7000",
                           "VexDA => dsp1| dsp1 127.0.0.2 1 1 1 1"};
    }
    void textRules()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, cases);
        if (rule == "item") {
            QTest::ignoreMessage(
                QtDebugMsg, "In a line [\"open ended] item is started from quote but not ended by quote");
            QTest::ignoreMessage(QtDebugMsg,
                                 "In a line [ab\" c] item is started from not quote but ended by quote");
        }
        for (const QString& c : cases)
            QCOMPARE(apply(rule, c.section(" => ", 0, 0)), c.section(" => ", 1));
    }

    void storeFromFileAndCommandLine()
    {
        QCOMPARE(store.allRests("VEXDA"),
                 QStringList({" dsp1 127.0.0.2 1 1 1 1", " dsp2 127.0.0.3 1 0 1 0"}));
        QVERIFY(store.contains("zephra_port") && !store.contains("Zephra_Port")); // the file's spelling only
        // The command line comes before the file.
        ConfigStore options, noValue;
        parse(options, {"prog", "stray", "-c", "my.cfg", "-e", "-NAME_ON_ZEPHRA", "x", "-j"});
        QCOMPARE(options.exactValue("-c") + '|' + options.exactValue("-e"), QString("my.cfg|"));
        QVERIFY(!options.contains("-C") && !options.contains("stray") && options.contains("-e") &&
                options.contains("-j"));
        options.readFile(file("-name_on_zephra y\n"));
        QCOMPARE(options.value("-NAME_ON_ZEPHRA", "") +
                     QString::number(options.allRests("-name_on_zephra").size()),
                 QString("x2"));
        parse(noValue, {"prog", "-c", "-e", "-config"});
        QVERIFY(noValue.contains("-c") && noValue.contains("-e") && noValue.contains("-config"));
        QCOMPARE(noValue.exactValue("-c") + noValue.exactValue("-config"), QString());
    }

    // Input that once stalled the program or grew its memory: a device, a huge line, a huge file.
    void onlyARegularConfigFileIsRead()
    {
        ConfigStore huge;
        huge.readFile("/dev/zero");
        QVERIFY(!huge.contains("ANY"));
        QByteArray text = "KEY_A 1\nLONG " + QByteArray(ConfigStore::maxLineBytes * 2, 'v') + "\nKEY_B 2\n";
        for (int i = 0; i < 80000; ++i)
            text += QByteArray("K") + QByteArray::number(i) + " v\n";
        huge.readFile(file(text));
        QCOMPARE(huge.value("key_a", "-"), QString("1"));
        QCOMPARE(huge.value("LONG", "skipped"), QString("skipped"));
        QCOMPARE(huge.value("KEY_B", "-"), QString("2"));
        QCOMPARE(huge.value("K79999", "-"), QString("v"));
    }
};

QTEST_APPLESS_MAIN(TestConfigText)
#include "tst_configtext.moc"
