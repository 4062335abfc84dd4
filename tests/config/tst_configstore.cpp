#include "config/ConfigStore.h"
#include "config/ConfigText.h"

#include <QTemporaryDir>
#include <QtTest>

// The configuration file and the command line, as the program reads them.
class TestConfigStore : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString writeFile(const QByteArray& content)
    {
        const QString name = dir.filePath(QString::number(qHash(content)));
        QFile f(name);
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size() ? name : QString();
    }

    static void parse(ConfigStore& store, QList<QByteArray> args)
    {
        QVector<char*> argv;
        for (QByteArray& a : args)
            argv << a.data();
        store.parseCommandLine(argv.size(), argv.data());
    }

private slots:
    void lineRules()
    {
        // line | without its comment: quotes of either kind hide a '#', and one flag serves both
        for (const QString row : {"NAME a # b|NAME a ", "NAME \"a # b\" # c|NAME \"a # b\" ",
                                  "NAME it's # x|NAME it's # x", "A \"x' # y|A \"x' ", "# all|"})
            QCOMPARE(stripComment(row.section('|', 0, 0)), row.section('|', 1));
        QVERIFY(isBlankLine(" \t  ") && isBlankLine("   # comment") && !isBlankLine("\"#\""));
        QVERIFY(isFlagSet("1") && !isFlagSet("2") && !isFlagSet("yes") && !isFlagSet(""));
        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [\"open ended] item is started from quote but not ended by quote");
        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [ab\" c] item is started from not quote but ended by quote");
        // text | rest | item
        for (const QString row :
             {"  10.0.0.5  |  |10.0.0.5", "\"C:/my keys/a.key\" rest| rest|C:/my keys/a.key", "\"\" x| x|",
              "   ||", "\"open ended||open ended", "ab\" c| c|ab\""}) {
            QString item;
            QCOMPARE(takeFirstItem(row.section('|', 0, 0), item) + '|' + item, row.section('|', 1));
        }
    }

    void fileLines()
    {
        ConfigStore store;
        store.readFile(
            writeFile("# header\nZEPHRA_IP  10.0.0.5  # lab server\r\n\nKEY_ON_ZEPHRA \"C:/my keys/a.key\"\n"
                      "APOS it's # x\n\"MY KEY\" 5\nKEYONLY\nVEXDA dsp1 127.0.0.2 1 1 1 1\n"
                      "vexda dsp2 127.0.0.3 1 0 1 0\nzephra_port 7000\nZEPHRA_PORT 8000\n"));
        QCOMPARE(store.value("ZEPHRA_IP", "def") + '|' + store.rest("ZEPHRA_IP", "def"),
                 QString("10.0.0.5|  10.0.0.5  "));
        QCOMPARE(store.value("KEY_ON_ZEPHRA", "") + '|' + store.rest("APOS", ""),
                 QString("C:/my keys/a.key| it's # x"));
        QCOMPARE(store.value("MY KEY", "") + '|' + store.value("KEYONLY", "def") + '|' +
                     store.value("MISSING", "def"),
                 QString("5||def"));
        // The first entry of a key wins, whatever its case; allRests sees them all.
        QCOMPARE(store.value("ZEPHRA_PORT", "6057") + store.rest("VexDA", ""),
                 QString("7000 dsp1 127.0.0.2 1 1 1 1"));
        QCOMPARE(store.allRests("VEXDA"),
                 QStringList({" dsp1 127.0.0.2 1 1 1 1", " dsp2 127.0.0.3 1 0 1 0"}));
        QVERIFY(store.allRests("NONE").isEmpty());
        QVERIFY(store.contains("zephra_port") && !store.contains("Zephra_Port")); // the file's spelling only

        const QString missing = dir.filePath("nope.cfg");
        QTest::ignoreMessage(QtDebugMsg, QString("Can't open config file :  \"%1\"").arg(missing).toUtf8());
        ConfigStore none;
        none.readFile(missing);
        QCOMPARE(none.value("ZEPHRA_PORT", "6057"), QString("6057"));
    }

    void commandLineComesBeforeTheFile()
    {
        ConfigStore store;
        parse(store, {"prog", "stray", "-c", "my.cfg", "-e", "-NAME_ON_ZEPHRA", "x", "-j"});
        QCOMPARE(store.exactValue("-c") + '|' + store.exactValue("-e"), QString("my.cfg|"));
        QVERIFY(!store.contains("-C") && !store.contains("stray") && store.contains("-e") &&
                store.contains("-j"));
        store.readFile(writeFile("-name_on_zephra y\n"));
        QCOMPARE(store.value("-NAME_ON_ZEPHRA", ""), QString("x"));
        QCOMPARE(store.allRests("-name_on_zephra").size(), 2);
        ConfigStore noValue;
        parse(noValue, {"prog", "-c", "-e", "-config"});
        QVERIFY(noValue.contains("-c") && noValue.contains("-e") && noValue.contains("-config"));
        QCOMPARE(noValue.exactValue("-c") + noValue.exactValue("-config"), QString());
    }
};

QTEST_APPLESS_MAIN(TestConfigStore)
#include "tst_configstore.moc"
