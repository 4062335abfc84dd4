#include "requests/RequestText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

// Request parameters and answer texts row by row, and the ROI sums GetValue and GetValues
// answer, against a plain count.
class TestRequestText : public QObject
{
    Q_OBJECT

    static QString number(qint64 n) { return QString::number(n); }

    // What a rule makes of its input; ROI sums: counts of bins that are all 1, below the end
    // bin, then through it.
    static QString apply(const QString& rule, const QString& input)
    {
        static const QVector<quint32> ones(4096, 1);
        const int start = input.section(' ', 0, 0).toInt(), end = input.section(' ', 1).toInt();
        if (rule == "preset type") return number(presetTypeFromText(input));
        if (rule == "normalize type") return number(normalizeTypeFromText(input, 1));
        if (rule == "register value") return number(registerValueFromText(input));
        if (rule == "roi bound") return number(roiBoundFromText(input));
        return number(sumBelowEnd(ones.data(), 4096, start, end)) + '|' +
               number(sumThroughEnd(ones.data(), 4096, start, end)); // roi sums
    }

private Q_SLOTS:
    // Each row is one rule, its cases "input => expected".
    void textRules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("cases");
        QTest::newRow("preset types by name in any case or by number")
            << "preset type"
            << QStringList{"REAL => 1", "live => 2", "None => 0", "2 => 2", "7 => 1", "-3 => 0"};
        QTest::newRow("normalize types; others keep the old one")
            << "normalize type"
            << QStringList{"0 => 0", "real => 0", "LiVe => 1", "1 => 1", "NONE => 2", "3 => 1"};
        QTest::newRow("register values: decimal or 0x, cut to 16 bits")
            << "register value"
            << QStringList{"0x1F => 31", "0X1F => 0", "70000 => 4464", "-1 => 65535", " => 0"};
        QTest::newRow("ROI bounds: whole bins towards 0, held to int")
            << "roi bound"
            << QStringList{"300.7 => 300", "-7.5 => -7", "abc => 0", "1e20 => 2147483647",
                           "-1e20 => -2147483648"};
        QTest::newRow("ROI sums: below the end bin|through it, only bins that exist")
            << "roi sums" << QStringList{"100 200 => 100|101",  "4000 9999 => 96|96",
                                         "-50 10 => 10|11",     "300 12 => 0|0",
                                         "2047 2047 => 0|1",    "5000 6000 => 0|0",
                                         "0 4095 => 4095|4096", "-2147483648 2147483647 => 4096|4096"};
    }
    void textRules()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, cases);
        for (const QString& c : cases)
            QCOMPARE(apply(rule, c.section(" => ", 0, 0)), c.section(" => ", 1));
    }

    void answerTexts()
    {
        QCOMPARE(normalizeTypeName(0) + normalizeTypeName(1) + normalizeTypeName(2), QString("RealLiveNone"));
        QCOMPARE(countsText(QVector<quint64>()), QString());
        QCOMPARE(meanText({100000.4, 0.4}), QString("50000.2")); // over the 6-digit texts
        QCOMPARE(countsText(QVector<quint64>{Q_UINT64_C(18446744073709551615), 0}),
                 QString("18446744073709551615 0"));
        const QVector<quint32> full(4096, 4294967295u);
        QCOMPARE(sumThroughEnd(full.constData(), 4096, 0, 4095), Q_UINT64_C(4294967295) * 4096);
    }

    // GetValues takes a channel's total and ROI in one pass: both must be what a plain count
    // gives, for every ROI a client can set, without wrapping at 32 bits.
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
};

QTEST_APPLESS_MAIN(TestRequestText)
#include "tst_requesttext.moc"
