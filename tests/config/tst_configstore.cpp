#include "config/ConfigStore.h"
#include "config/ConfigText.h"

#include <QTemporaryDir>
#include <QtTest>

class TestConfigStore : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString writeFile(const QByteArray& content)
    {
        static int n = 0;
        const QString name = dir.filePath(QString("c%1.cfg").arg(++n));
        QFile f(name);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return name;
    }

    static void parse(ConfigStore& store, QList<QByteArray> args)
    {
        QVector<char*> argv;
        for (QByteArray& a : args)
            argv << a.data();
        store.parseCommandLine(argv.size(), argv.data());
    }

private slots:
    void commentsFollowQuotes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("plain") << "NAME a # b"
                               << "NAME a ";
        QTest::newRow("double quotes") << "NAME \"a # b\" # c"
                                       << "NAME \"a # b\" ";
        QTest::newRow("apostrophe opens quotes") << "NAME it's # x"
                                                 << "NAME it's # x";
        QTest::newRow("mixed quotes toggle one flag") << "A \"x' # y"
                                                      << "A \"x' ";
        QTest::newRow("no comment") << "KEY value"
                                    << "KEY value";
        QTest::newRow("comment only") << "# all"
                                      << "";
    }
    void commentsFollowQuotes()
    {
        QFETCH(QString, line);
        QFETCH(QString, stripped);
        QCOMPARE(stripComment(line), stripped);
    }

    void blankLines()
    {
        QVERIFY(isBlankLine(""));
        QVERIFY(isBlankLine(" \t  "));
        QVERIFY(isBlankLine("   # comment"));
        QVERIFY(!isBlankLine(" x # comment"));
        QVERIFY(!isBlankLine("\"#\""));
    }

    void itemSplitting()
    {
        QString item;
        QCOMPARE(takeFirstItem("  10.0.0.5  ", item), QString("  "));
        QCOMPARE(item, QString("10.0.0.5"));

        QCOMPARE(takeFirstItem("\"C:/my keys/a.key\" rest", item), QString(" rest"));
        QCOMPARE(item, QString("C:/my keys/a.key"));

        QCOMPARE(takeFirstItem("\"\" x", item), QString(" x"));
        QCOMPARE(item, QString());

        QCOMPARE(takeFirstItem("   ", item), QString());
        QCOMPARE(item, QString());

        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [\"open ended] item is started from quote but not ended by quote");
        QCOMPARE(takeFirstItem("\"open ended", item), QString());
        QCOMPARE(item, QString("open ended"));

        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [ab\" c] item is started from not quote but ended by quote");
        QCOMPARE(takeFirstItem("ab\" c", item), QString(" c"));
        QCOMPARE(item, QString("ab\""));
    }

    void fileLines()
    {
        ConfigStore store;
        store.readFile(writeFile("# header\n"
                                 "ZEPHRA_IP  10.0.0.5  # lab server\r\n"
                                 "\n"
                                 "KEY_ON_ZEPHRA \"C:/my keys/a.key\"\n"
                                 "NAME \"a # b\"\n"
                                 "OTHER a # b\n"
                                 "APOS it's # x\n"
                                 "\"MY KEY\" 5\n"
                                 "KEYONLY\n"));
        QCOMPARE(store.value("ZEPHRA_IP", "def"), QString("10.0.0.5"));
        QCOMPARE(store.rest("ZEPHRA_IP", "def"), QString("  10.0.0.5  "));
        QCOMPARE(store.value("KEY_ON_ZEPHRA", ""), QString("C:/my keys/a.key"));
        QCOMPARE(store.value("NAME", ""), QString("a # b"));
        QCOMPARE(store.rest("OTHER", ""), QString(" a "));
        QCOMPARE(store.value("APOS", ""), QString("it's"));
        QCOMPARE(store.rest("APOS", ""), QString(" it's # x"));
        QCOMPARE(store.value("MY KEY", ""), QString("5"));
        QCOMPARE(store.value("KEYONLY", "def"), QString());
        QCOMPARE(store.value("MISSING", "def"), QString("def"));
    }

    void firstEntryWinsButAllRestsSeesAll()
    {
        ConfigStore store;
        store.readFile(writeFile("VEXDA dsp1 127.0.0.2 1 1 1 1\n"
                                 "vexda dsp2 127.0.0.3 1 0 1 0\n"
                                 "zephra_port 7000\n"
                                 "ZEPHRA_PORT 8000\n"));
        QCOMPARE(store.value("VEXDA", ""), QString("dsp1"));
        QCOMPARE(store.rest("VexDA", ""), QString(" dsp1 127.0.0.2 1 1 1 1"));
        QCOMPARE(store.allRests("VEXDA"),
                 QStringList({" dsp1 127.0.0.2 1 1 1 1", " dsp2 127.0.0.3 1 0 1 0"}));
        QCOMPARE(store.value("ZEPHRA_PORT", "6057"), QString("7000"));
        QVERIFY(store.allRests("NONE").isEmpty());
        // contains() is the exact view: the file's spelling only
        QVERIFY(store.contains("zephra_port"));
        QVERIFY(!store.contains("Zephra_Port"));
    }

    void missingOrEmptyFileKeepsDefaults()
    {
        ConfigStore store;
        const QString missing = dir.filePath("nope.cfg");
        QTest::ignoreMessage(QtDebugMsg, QString("Can't open config file :  \"%1\"").arg(missing).toUtf8());
        store.readFile(missing);
        QCOMPARE(store.value("ZEPHRA_IP", "localhost"), QString("localhost"));

        QTest::ignoreMessage(QtDebugMsg, "Can't open config file :  \"\"");
        store.readFile(QString());

        store.readFile(writeFile(""));
        QCOMPARE(store.value("ZEPHRA_PORT", "6057"), QString("6057"));
        QVERIFY(store.allRests("VEXDA").isEmpty());
    }

    void commandLine()
    {
        ConfigStore store;
        parse(store, {"prog", "stray", "-c", "my.cfg", "-e", "-j"});
        QVERIFY(store.contains("-c"));
        QVERIFY(!store.contains("-C"));
        QCOMPARE(store.exactValue("-c"), QString("my.cfg"));
        QVERIFY(store.contains("-e"));
        QCOMPARE(store.exactValue("-e"), QString());
        QVERIFY(!store.contains("stray"));
        QVERIFY(store.contains("-j"));

        ConfigStore noValue;
        parse(noValue, {"prog", "-c", "-e"});
        QVERIFY(noValue.contains("-c"));
        QCOMPARE(noValue.exactValue("-c"), QString());
        QVERIFY(noValue.contains("-e"));

        ConfigStore last;
        parse(last, {"prog", "-config"});
        QVERIFY(last.contains("-config"));
        QCOMPARE(last.exactValue("-config"), QString());
    }

    void commandLineComesBeforeFile()
    {
        ConfigStore store;
        parse(store, {"prog", "-NAME_ON_ZEPHRA", "x"});
        store.readFile(writeFile("-name_on_zephra y\nDUMP 1\n"));
        QCOMPARE(store.value("-NAME_ON_ZEPHRA", ""), QString("x"));
        QCOMPARE(store.allRests("-name_on_zephra").size(), 2);
    }

    void flagRule()
    {
        QVERIFY(isFlagSet("1"));
        QVERIFY(!isFlagSet("2"));
        QVERIFY(!isFlagSet("yes"));
        QVERIFY(!isFlagSet(""));
        QVERIFY(!isFlagSet("0"));
    }
};

QTEST_APPLESS_MAIN(TestConfigStore)
#include "tst_configstore.moc"
