#include "zephra/AMsg.h"
#include "zephra/ZephraWire.h"

#include <QtTest>

// The message record and the line format, without a socket.
class TestAMsg : public QObject
{
    Q_OBJECT

    static QString fields(const QString& line, bool all = false)
    {
        AMsg m;
        const bool valid = m.parse(line);
        QStringList f{QString::number(valid), m.cmd, QString::number(m.type), m.param, m.params.join('/')};
        if (all)
            f << m.line << m.head << m.body << m.from << m.to << m.fromNode << m.fromSub << m.fromName
              << m.toNode << m.toSub << m.toName;
        return f.join('|');
    }

private slots:
    void parsesHeadSubNamesAndItems()
    {
        QCOMPARE(fields("a.b>c.d  _Ev  1 2\r\n", true),
                 QString("1|Ev|1|1|1/2|a.b>c.d  _Ev  1 2|a.b>c.d|_Ev 1 2|a.b|c.d|a|b|a.b|c|d|c.d"));
        QCOMPARE(fields("x.>y X", true).section('|', 8, 11), QString("x.|y|x|")); // a trailing dot: no sub
        const char* rows[][2] = {{"a>b  X", "1|X|2||"},
                                 {"x>y SetConfig \"a b\" \"\"", "1|SetConfig|2|a b|a b/"},
                                 {"x>y @Hello Hello! I am", "1|Hello|0|Hello!|Hello!/I/am"},
                                 {"x>y Cm\rd 1\n2", "1|Cmd|2|12|12"},
                                 {"x>y @", "1||0||"},
                                 {"a>b", "0||3"},
                                 {"ab X 1", "0||3"},
                                 {"x>y \"\" 1", "0||3"}};
        for (const auto& r : rows) // an invalid line leaves no kind and no word
            QCOMPARE(r[1][0] == '0' ? fields(r[0]).section('|', 0, 2) : fields(r[0]), QString(r[1]));
        // Parsing again forgets the old message, but not the id the dispatcher set.
        AMsg m;
        QVERIFY(m.parse("a.s>b Cmd 1 2"));
        m.id = 7;
        QVERIFY(!m.parse("junk"));
        QVERIFY(m.params.isEmpty() && m.fromSub.isEmpty() && m.type == AMsg::None && m.id == 7);
    }

    void wire()
    {
        using namespace ZephraWire;
        QCOMPARE(encode(QString::fromUtf8("a é ✓")), QByteArray("a \xe9 ?\n"));
        QCOMPARE(decode(QByteArray("x>y \xc3\xa9\r\n")), QString::fromUtf8("x>y é\r\n"));
        QCOMPARE(decode(QByteArray("x>y A\0B\n", 8)), QString("x>y A"));
        QCOMPARE(QVector<int>({challengeNumber(" -7 \r\n"), challengeNumber("x9\n")}), QVector<int>({-7, 0}));
        const int keys[][3] = {
            {7, 3, 1}, {-7, 3, 2}, {-3, 3, 0}, {std::numeric_limits<int>::min(), 7, 5}, {5, 0, -1}};
        for (const auto& k : keys) // challenge, count, index
            QCOMPARE(keyIndex(k[0], k[1]), k[2]);
    }
};

QTEST_APPLESS_MAIN(TestAMsg)
#include "tst_amsg.moc"
