#include "zephra/AMsg.h"
#include "zephra/ZephraWire.h"

#include <QtTest>

// The message record and the line format, without a socket.
class TestAMsg : public QObject
{
    Q_OBJECT

private slots:
    void splitsHeadSubNamesAndItems()
    {
        AMsg m;
        QVERIFY(m.parse("a.b>c.d  _Ev  1 2\r\n"));
        QCOMPARE(m.line, QString("a.b>c.d  _Ev  1 2"));
        QCOMPARE(m.head, QString("a.b>c.d"));
        QCOMPARE(m.body, QString("_Ev 1 2"));
        QCOMPARE(m.from, QString("a.b"));
        QCOMPARE(m.to, QString("c.d"));
        QCOMPARE(m.fromNode, QString("a"));
        QCOMPARE(m.fromSub, QString("b"));
        QCOMPARE(m.fromName, QString("a.b"));
        QCOMPARE(m.toNode, QString("c"));
        QCOMPARE(m.toSub, QString("d"));
        QCOMPARE(m.toName, QString("c.d"));
        QCOMPARE(m.cmd, QString("Ev"));
        QCOMPARE(m.type, int(AMsg::Event));
        QCOMPARE(m.param, QString("1"));
        QCOMPARE(m.params, QStringList({"1", "2"}));
    }

    void kindsAndParams_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QStringList>("params");

        QTest::newRow("request without params") << "a>b  X" << true << 2 << "X" << QStringList();
        QTest::newRow("no body") << "a>b" << false << 3 << "" << QStringList();
        QTest::newRow("no > in head") << "ab X 1" << false << 3 << "" << QStringList();
        QTest::newRow("quoted param")
            << "x>y SetConfig \"a b\" 3" << true << 2 << "SetConfig" << QStringList({"a b", "3"});
        QTest::newRow("empty quoted param") << "x>y Cmd \"\"" << true << 2 << "Cmd" << QStringList({""});
        QTest::newRow("bare @") << "x>y @" << true << 0 << "" << QStringList();
        QTest::newRow("answer") << "x>y @Hello Hello! I am" << true << 0 << "Hello"
                                << QStringList({"Hello!", "I", "am"});
        QTest::newRow("empty quoted command") << "x>y \"\" 1" << false << 3 << "" << QStringList();
        QTest::newRow("CR and LF inside") << "x>y Cm\rd 1\n2" << true << 2 << "Cmd" << QStringList({"12"});
    }

    void kindsAndParams()
    {
        QFETCH(QString, text);
        AMsg m;
        QTEST(m.parse(text), "valid");
        QTEST(m.type, "type");
        if (m.valid) {
            QTEST(m.cmd, "cmd");
            QTEST(m.params, "params");
            QCOMPARE(m.param, m.params.value(0));
        }
    }

    void trailingDotLeavesEmptySub()
    {
        AMsg m;
        QVERIFY(m.parse("x.>y Cmd"));
        QCOMPARE(m.from, QString("x."));
        QCOMPARE(m.fromNode, QString("x"));
        QVERIFY(m.fromSub.isEmpty());
        QCOMPARE(m.fromName, QString("x"));
    }

    void reparsingForgetsTheOldMessage()
    {
        AMsg m;
        QVERIFY(m.parse("a.s>b Cmd 1 2"));
        m.id = 7;
        QVERIFY(!m.parse("junk"));
        QVERIFY(m.params.isEmpty());
        QVERIFY(m.fromSub.isEmpty());
        QCOMPARE(m.type, int(AMsg::None));
        QCOMPARE(m.id, 7);
    }

    void encodesLatin1AndDecodesUtf8()
    {
        using namespace ZephraWire;
        QCOMPARE(encode(QString::fromUtf8("a é ✓")), QByteArray("a \xe9 ?\n"));
        QCOMPARE(decode(QByteArray("x>y \xc3\xa9\r\n")), QString::fromUtf8("x>y é\r\n"));
        QCOMPARE(decode(QByteArray("x>y A\0B\n", 8)), QString("x>y A"));
    }

    void keyIndexStaysInRange_data()
    {
        QTest::addColumn<int>("challenge");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::newRow("7 of 3") << 7 << 3 << 1;
        QTest::newRow("-7 of 3") << -7 << 3 << 2;
        QTest::newRow("-3 of 3") << -3 << 3 << 0;
        QTest::newRow("min of 7") << std::numeric_limits<int>::min() << 7 << 5;
        QTest::newRow("no keys") << 5 << 0 << -1;
    }

    void keyIndexStaysInRange()
    {
        QFETCH(int, challenge);
        QFETCH(int, count);
        QTEST(ZephraWire::keyIndex(challenge, count), "index");
    }
};

QTEST_APPLESS_MAIN(TestAMsg)
#include "tst_amsg.moc"
