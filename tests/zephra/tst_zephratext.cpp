#include "zephra/AMsg.h"
#include "zephra/History.h"
#include "zephra/LineBuffer.h"
#include "zephra/RetryDelay.h"
#include "zephra/ZephraWire.h"

#include <QTemporaryDir>
#include <QtTest>

// The server client's plain functions: message lines, the wire's encoding and key choice,
// the waits before connecting again, the line buffer, and key and history files that are
// devices or hold a huge line.
class TestZephraText : public QObject
{
    Q_OBJECT

    // One field after the other, '|' between: what a rule makes of its input.
    static QString apply(const QString& rule, const QString& input)
    {
        const QString first = input.section(' ', 0, 0), second = input.section(' ', 1);
        AMsg m;
        if (rule == "message") {
            const bool valid = m.parse(input);
            const QStringList f{QString::number(valid), m.cmd, QString::number(m.type)};
            return (valid ? f + QStringList{m.param, m.params.join('/')} : f).join('|');
        }
        if (rule == "challenge") return QString::number(ZephraWire::challengeNumber(input.toLatin1()));
        if (rule == "key") return QString::number(ZephraWire::keyIndex(first.toInt(), second.toInt()));
        return QString::number(RetryDelay::waitMs(first.toInt(), second.toDouble())); // wait
    }

private Q_SLOTS:
    // Each row is one rule, its cases "input => expected".
    void textRules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("cases");
        QTest::newRow("a message line: valid|word|kind|first parameter|parameters")
            << "message"
            << QStringList{"a>b  X => 1|X|2||", "x>y SetConfig \"a b\" \"\" => 1|SetConfig|2|a b|a b/",
                           "x>y @Hello Hello! I am => 1|Hello|0|Hello!|Hello!/I/am",
                           "x>y Cm\rd 1\n2 => 1|Cmd|2|12|12", "x>y @ => 1||0||"};
        QTest::newRow("no message without a head, a body or a word")
            << "message" << QStringList{"a>b => 0||3", "ab X 1 => 0||3", "x>y \"\" 1 => 0||3"};
        QTest::newRow("the challenge is a number or 0")
            << "challenge" << QStringList{" -7 \r\n => -7", "x9\n => 0"};
        QTest::newRow("the key is line challenge mod count, never negative")
            << "key" << QStringList{"7 3 => 1", "-7 3 => 2", "-3 3 => 0", "-2147483648 7 => 5", "5 0 => -1"};
        QTest::newRow("waits double from 1 s to 30 s, a tenth off at most")
            << "wait" << QStringList{"0 0 => 1000",    "1 0 => 2000",           "4 0 => 16000",
                                     "5 0 => 30000",   "2147483647 0 => 30000", "-3 0 => 1000",
                                     "0 0.999 => 901", "5 9 => 27000",          "3 -1 => 8000"};
    }
    void textRules()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, cases);
        for (const QString& c : cases)
            QCOMPARE(apply(rule, c.section(" => ", 0, 0)), c.section(" => ", 1));
    }

    void messageFieldsAndEncodings()
    {
        AMsg m;
        QVERIFY(m.parse("a.b>c.d  _Ev  1 2\r\n"));
        QCOMPARE(QStringList({m.line, m.head, m.body, m.from, m.to, m.fromNode, m.fromSub, m.fromName,
                              m.toNode, m.toSub, m.toName, m.cmd, QString::number(m.type)})
                     .join('|'),
                 QString("a.b>c.d  _Ev  1 2|a.b>c.d|_Ev 1 2|a.b|c.d|a|b|a.b|c|d|c.d|Ev|1"));
        QVERIFY(m.parse("x.>y X")); // a trailing dot: no sub
        QCOMPARE(m.from + '|' + m.fromNode + '|' + m.fromSub + '|' + m.fromName, QString("x.|x||x"));
        // Parsing again forgets the old message, but not the id the dispatcher set.
        m.id = 7;
        QVERIFY(!m.parse("junk"));
        QVERIFY(m.params.isEmpty() && m.fromSub.isEmpty() && m.type == AMsg::None && m.id == 7);
        // Latin-1 out and UTF-8 in are shown end to end (tst_zephra); a NUL ends a line read.
        QCOMPARE(ZephraWire::decode(QByteArray("x>y A\0B\n", 8)), QString("x>y A"));
    }

    // Input that once stalled the program or grew its memory without bound.
    void aRequestOfHalfAMillionParametersIsSplitWhole()
    {
        const int n = 512 * 1024;
        QString line = "ctrl>Tavik GetValue";
        line.reserve(line.size() + 2 * n);
        for (int i = 0; i < n; ++i)
            line += i == n - 1 ? QStringLiteral(" z") : QStringLiteral(" 7");
        AMsg msg;
        QVERIFY(msg.parse(line));
        QCOMPARE(msg.params.size(), n);
        QCOMPARE(msg.params.last(), QString("z"));
    }

    void aLineWithoutEndIsCappedAndDroppedWhole()
    {
        LineBuffer lines;
        QByteArray line;
        lines.append("Sys");
        lines.append("tem>A x\nB");
        QVERIFY(lines.takeLine(line));
        QCOMPARE(line, QByteArray("System>A x\n"));
        QVERIFY(!lines.takeLine(line));
        // A line far beyond the cap, arriving in pieces, is dropped up to its end.
        for (int i = 0; i < 40; ++i)
            lines.append(QByteArray(4096, 'y'));
        QVERIFY(!lines.takeLine(line));
        lines.append("yy\nC ok\n");
        QCOMPARE(lines.takeDroppedLines(), 1);
        QVERIFY(lines.takeLine(line));
        QCOMPARE(line, QByteArray("C ok\n"));
        QVERIFY(!lines.takeLine(line));
        // One just over the cap, arriving whole with its line end and the next line in one read.
        lines.append(QByteArray(LineBuffer::maxLineBytes + 1, 'z') + "\nD ok\n");
        QVERIFY(lines.takeLine(line));
        QCOMPARE(line + QByteArray::number(lines.takeDroppedLines()), QByteArray("D ok\n1"));
    }

    // Key and history files name no device either, and a huge key line is no key.
    void keyAndHistoryFilesAreReadWithBoundedCost()
    {
        bool opened = true;
        QVERIFY(ZephraWire::readKeys("/dev/zero", &opened).isEmpty());
        QVERIFY(!opened);
        QTemporaryDir dir;
        QFile file(dir.filePath("Tavik.key"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("k0\n" + QByteArray(ZephraWire::maxKeyBytes + 1, 'k') + "\n k 2 \nlast");
        file.close();
        QCOMPARE(ZephraWire::readKeys(file.fileName(), &opened), QStringList({"k0", "", "k 2", "last"}));
        QVERIFY(opened);
        QDir::setCurrent(dir.path());
        QVERIFY(QFile::link("/dev/zero", History::fileName));
        QString host = "h", port = "p";
        History::read(host, port);
        QCOMPARE(host + port, QString("hp"));
    }
};

QTEST_APPLESS_MAIN(TestZephraText)
#include "tst_zephratext.moc"
