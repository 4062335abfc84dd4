#include "config/ConfigStore.h"
#include "config/ConfigText.h"
#include "dsp/RegisterFrame.h"
#include "requests/RequestText.h"
#include "zephra/AMsg.h"
#include "zephra/RetryDelay.h"
#include "zephra/ZephraWire.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <limits>

// The plain functions that read and write text: the configuration, request parameters and
// answers, and the message line. Row by row; the end-to-end tests show that they are used.
class TestTextRules : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    // Each row is "input => expected", checked through a rule that gives the expected text.
    template <typename Rule> static void check(const QStringList& rows, Rule rule)
    {
        for (const QString& row : rows)
            QCOMPARE(rule(row.section(" => ", 0, 0)), row.section(" => ", 1));
    }
    static QString number(qint64 n) { return QString::number(n); }

    QString configFile(const QByteArray& content)
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
    void configurationLines()
    {
        // Quotes of either kind hide a '#', and one flag serves both.
        check({"NAME a # b => NAME a ", "NAME \"a # b\" # c => NAME \"a # b\" ",
               "NAME it's # x => NAME it's # x", "A \"x' # y => A \"x' ", "# all => "},
              stripComment);
        QVERIFY(isBlankLine(" \t  ") && isBlankLine("   # comment") && !isBlankLine("\"#\""));
        QVERIFY(isFlagSet("1") && !isFlagSet("2") && !isFlagSet("yes") && !isFlagSet(""));
        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [\"open ended] item is started from quote but not ended by quote");
        QTest::ignoreMessage(QtDebugMsg,
                             "In a line [ab\" c] item is started from not quote but ended by quote");
        check({"  10.0.0.5   =>   |10.0.0.5", "\"C:/my keys/a.key\" rest =>  rest|C:/my keys/a.key",
               "\"\" x =>  x|", "    => |", "\"open ended => |open ended", "ab\" c =>  c|ab\""},
              [](const QString& text) {
                  QString item;
                  return takeFirstItem(text, item) + '|' + item;
              });

        ConfigStore store;
        store.readFile(
            configFile("# header\nZEPHRA_IP  10.0.0.5  # lab server\r\n\nKEY_ON_ZEPHRA \"C:/my keys/a.key\"\n"
                       "APOS it's # x\n\"MY KEY\" 5\nKEYONLY\nVEXDA dsp1 127.0.0.2 1 1 1 1\n"
                       "vexda dsp2 127.0.0.3 1 0 1 0\nzephra_port 7000\nZEPHRA_PORT 8000\n"));
        check({"ZEPHRA_IP => 10.0.0.5|  10.0.0.5  ",
               "KEY_ON_ZEPHRA => C:/my keys/a.key| \"C:/my keys/a.key\"", "APOS => it's| it's # x",
               "MY KEY => 5| 5", "KEYONLY => |", "MISSING => def|def", "ZEPHRA_port => 7000| 7000",
               "VexDA => dsp1| dsp1 127.0.0.2 1 1 1 1"},
              [&](const QString& key) { return store.value(key, "def") + '|' + store.rest(key, "def"); });
        QCOMPARE(store.allRests("VEXDA"),
                 QStringList({" dsp1 127.0.0.2 1 1 1 1", " dsp2 127.0.0.3 1 0 1 0"}));
        QVERIFY(store.contains("zephra_port") && !store.contains("Zephra_Port")); // the file's spelling only

        // The command line comes before the file.
        ConfigStore options, noValue;
        parse(options, {"prog", "stray", "-c", "my.cfg", "-e", "-NAME_ON_ZEPHRA", "x", "-j"});
        QCOMPARE(options.exactValue("-c") + '|' + options.exactValue("-e"), QString("my.cfg|"));
        QVERIFY(!options.contains("-C") && !options.contains("stray") && options.contains("-e") &&
                options.contains("-j"));
        options.readFile(configFile("-name_on_zephra y\n"));
        QCOMPARE(options.value("-NAME_ON_ZEPHRA", "") + number(options.allRests("-name_on_zephra").size()),
                 QString("x2"));
        parse(noValue, {"prog", "-c", "-e", "-config"});
        QVERIFY(noValue.contains("-c") && noValue.contains("-e") && noValue.contains("-config"));
        QCOMPARE(noValue.exactValue("-c") + noValue.exactValue("-config"), QString());
    }

    void requestParametersAndAnswers()
    {
        check({"REAL => 1", "live => 2", "None => 0", "2 => 2", "7 => 1", "-3 => 0"},
              [](const QString& t) { return number(presetTypeFromText(t)); });
        check({"0 => 0", "real => 0", "LiVe => 1", "1 => 1", "NONE => 2", "3 => 1"},
              [](const QString& t) { return number(normalizeTypeFromText(t, 1)); });
        QCOMPARE(normalizeTypeName(0) + normalizeTypeName(1) + normalizeTypeName(2), QString("RealLiveNone"));
        check({"0x1F => 31", "0X1F => 0", "70000 => 4464", "-1 => 65535", " => 0"},
              [](const QString& t) { return number(registerValueFromText(t)); });
        check({"300.7 => 300", "-7.5 => -7", "abc => 0", "1e20 => 2147483647", "-1e20 => -2147483648"},
              [](const QString& t) { return number(roiBoundFromText(t)); });
        QCOMPARE(numbersText({1.5, 0.1234567, 1234567.0, 2.0, 1e-9}),
                 QString("1.5 0.123457 1.23457e+06 2 1e-09"));
        QCOMPARE(numbersText({}) + countsText(QVector<quint64>()), QString());
        QCOMPARE(countsText(QVector<quint64>{Q_UINT64_C(18446744073709551615), 0}),
                 QString("18446744073709551615 0"));
        const quint32 bins[] = {4294967295u, 7};
        QCOMPARE(countsText(bins, 2), QString("4294967295 7"));
        QCOMPARE(meanText({}) + ' ' + meanText({100000.4, 0.4}),
                 QString("0 50000.2")); // over the 6-digit texts

        // ROI sums: "start end => counts below the end|through it"
        const QVector<quint32> ones(4096, 1), full(4096, 4294967295u);
        check({"100 200 => 100|101", "4000 9999 => 96|96", "-50 10 => 10|11", "300 12 => 0|0",
               "2047 2047 => 0|1", "5000 6000 => 0|0", "0 4095 => 4095|4096",
               "-2147483648 2147483647 => 4096|4096"},
              [&](const QString& roi) {
                  const int start = roi.section(' ', 0, 0).toInt(), end = roi.section(' ', 1).toInt();
                  return number(sumBelowEnd(ones.data(), 4096, start, end)) + '|' +
                         number(sumThroughEnd(ones.data(), 4096, start, end));
              });
        QCOMPARE(sumThroughEnd(full.constData(), 4096, 0, 4095), Q_UINT64_C(4294967295) * 4096);
        // Unit answers shorter than their head or than the value asked for read as 0.
        QCOMPARE(answerAddress(QByteArray::fromHex("FFC80602B40000")) + decodeBigEndian(4, "\x12\x34"),
                 quint64(0));
    }

    void messageLines()
    {
        // line => valid|word|kind|first parameter|parameters; an invalid line leaves no kind and no word
        const auto fields = [](const QString& line) {
            AMsg m;
            const bool valid = m.parse(line);
            QStringList f{number(valid), m.cmd, number(m.type)};
            return (valid ? f << m.param << m.params.join('/') : f).join('|');
        };
        check({"a>b  X => 1|X|2||", "x>y SetConfig \"a b\" \"\" => 1|SetConfig|2|a b|a b/",
               "x>y @Hello Hello! I am => 1|Hello|0|Hello!|Hello!/I/am", "x>y Cm\rd 1\n2 => 1|Cmd|2|12|12",
               "x>y @ => 1||0||", "a>b => 0||3", "ab X 1 => 0||3", "x>y \"\" 1 => 0||3"},
              fields);
        AMsg m;
        QVERIFY(m.parse("a.b>c.d  _Ev  1 2\r\n"));
        QCOMPARE(QStringList({m.line, m.head, m.body, m.from, m.to, m.fromNode, m.fromSub, m.fromName,
                              m.toNode, m.toSub, m.toName, m.cmd, number(m.type)})
                     .join('|'),
                 QString("a.b>c.d  _Ev  1 2|a.b>c.d|_Ev 1 2|a.b|c.d|a|b|a.b|c|d|c.d|Ev|1"));
        QVERIFY(m.parse("x.>y X")); // a trailing dot: no sub
        QCOMPARE(m.from + '|' + m.fromNode + '|' + m.fromSub + '|' + m.fromName, QString("x.|x||x"));
        // Parsing again forgets the old message, but not the id the dispatcher set.
        m.id = 7;
        QVERIFY(!m.parse("junk"));
        QVERIFY(m.params.isEmpty() && m.fromSub.isEmpty() && m.type == AMsg::None && m.id == 7);

        using namespace ZephraWire;
        QCOMPARE(encode(QString::fromUtf8("a é ✓")), QByteArray("a \xe9 ?\n"));
        QCOMPARE(decode(QByteArray("x>y \xc3\xa9\r\n")), QString::fromUtf8("x>y é\r\n"));
        QCOMPARE(decode(QByteArray("x>y A\0B\n", 8)), QString("x>y A"));
        QCOMPARE(QVector<int>({challengeNumber(" -7 \r\n"), challengeNumber("x9\n")}), QVector<int>({-7, 0}));
        check({"7 3 => 1", "-7 3 => 2", "-3 3 => 0", "-2147483648 7 => 5", "5 0 => -1"},
              [](const QString& t) {
                  return number(keyIndex(t.section(' ', 0, 0).toInt(), t.section(' ', 1).toInt()));
              });
        // failures jitter => wait: doubled up to the cap, a tenth off at most
        check({"0 0 => 1000", "1 0 => 2000", "4 0 => 16000", "5 0 => 30000", "2147483647 0 => 30000",
               "-3 0 => 1000", "0 0.999 => 901", "5 9 => 27000", "3 -1 => 8000"},
              [](const QString& t) {
                  return number(
                      RetryDelay::waitMs(t.section(' ', 0, 0).toInt(), t.section(' ', 1).toDouble()));
              });
    }

    // GetValues takes a channel's total and ROI in one pass, four bins at a time: both must
    // be what a plain count gives, for every ROI a client can set, without wrapping at 32 bits.
    void onePassSumsMatchPlainCounts()
    {
        constexpr int n = 4096;
        constexpr int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
        QVector<quint32> bins(n);
        QRandomGenerator random(13);
        for (quint32& b : bins)
            b = random.generate();
        const auto plainSum = [&bins](qint64 start, qint64 end) {
            quint64 sum = 0;
            for (qint64 i = qMax<qint64>(start, 0); i <= end && i < bins.size(); ++i)
                sum += bins.at(int(i));
            return sum;
        };
        const QVector<int> bounds{lowest, -1, 0, 1, 2, 3, 5, 2047, 4091, 4094, 4095, 4096, 4097, highest};
        for (int start : bounds)
            for (int end : bounds) {
                const BinSums sums = sumTotalAndThroughEnd(bins.constData(), n, start, end);
                QCOMPARE(sums.roi, plainSum(start, end));
                QCOMPARE(sums.total, plainSum(0, n));
            }
    }

    // Histogram bytes become bins four at a time: each word as the plain big-endian reading
    // gives it, whatever the count and the alignment, and nothing written past the end.
    void histogramWordsMatchThePlainReading()
    {
        QByteArray bytes(4 * 4096 + 1, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& b : bytes)
            b = char(random.bounded(256));
        for (int offset : {0, 1})
            for (int count : {0, 1, 3, 4, 5, 7, 8, 9, 4095, 4096}) {
                QVector<quint32> words(count + 1, 0xA5A5A5A5);
                decodeBigEndianWords(bytes.constData() + offset, count, words.data());
                for (int i = 0; i < count; ++i)
                    QCOMPARE(words.at(i), qFromBigEndian<quint32>(bytes.constData() + offset + 4 * i));
                QCOMPARE(words.at(count), quint32(0xA5A5A5A5));
            }
    }
};

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
