#include "requests/RequestText.h"

#include <QtTest>

#include <limits>

// The rules by which request parameters are read and answers written, row by row; the
// end-to-end tests show that the handlers use them.
class TestRequestText : public QObject
{
    Q_OBJECT

    template <typename Result, size_t n>
    static void checkRows(Result (*rule)(const QString&), const std::pair<const char*, Result> (&rows)[n])
    {
        for (const auto& [text, expected] : rows)
            QVERIFY2(rule(text) == expected, text);
    }

    static int normalizeFromNone(const QString& text) { return normalizeTypeFromText(text, 2); }

private slots:
    void parameters()
    {
        const int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
        checkRows<int>(presetTypeFromText,
                       {{"REAL", 1}, {"live", 2}, {"None", 0}, {"2", 2}, {"7", 1}, {"-3", 0}});
        checkRows<int>(normalizeFromNone,
                       {{"0", 0}, {"real", 0}, {"LiVe", 1}, {"1", 1}, {"NONE", 2}, {"3", 2}});
        QCOMPARE(normalizeTypeFromText("foo", 1), 1);
        QCOMPARE(normalizeTypeName(0) + normalizeTypeName(1) + normalizeTypeName(2), QString("RealLiveNone"));
        checkRows<quint16>(registerValueFromText,
                           {{"0x1F", 31}, {"0X1F", 0}, {"70000", 4464}, {"-1", 65535}, {"", 0}});
        checkRows<int>(roiBoundFromText,
                       {{"300.7", 300}, {"-7.5", -7}, {"abc", 0}, {"1e20", most}, {"-1e20", least}});
    }

    void answers()
    {
        QCOMPARE(numbersText({1.5, 0.1234567, 1234567.0, 2.0, 1e-9}),
                 QString("1.5 0.123457 1.23457e+06 2 1e-09"));
        QCOMPARE(numbersText({}) + countsText(QVector<quint64>()), QString());
        QCOMPARE(countsText(QVector<quint64>{Q_UINT64_C(18446744073709551615), 0}),
                 QString("18446744073709551615 0"));
        const quint32 bins[] = {4294967295u, 7};
        QCOMPARE(countsText(bins, 2), QString("4294967295 7"));
        QCOMPARE(meanText({}) + ' ' + meanText({1.0000004, 1.0000004}),
                 QString("0 1")); // over the 6-digit texts
    }

    void roiSums()
    {
        const QVector<quint32> ones(4096, 1);
        const int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
        // start, end; counts below the end and through it
        const int rows[][4] = {{100, 200, 100, 101},  {4000, 9999, 96, 96},     {-50, 10, 10, 11},
                               {300, 12, 0, 0},       {2047, 2047, 0, 1},       {5000, 6000, 0, 0},
                               {0, 4095, 4095, 4096}, {least, most, 4096, 4096}};
        for (const auto& r : rows)
            QCOMPARE(QVector<quint64>({sumBelowEnd(ones.data(), 4096, r[0], r[1]),
                                       sumThroughEnd(ones.data(), 4096, r[0], r[1])}),
                     QVector<quint64>({quint64(r[2]), quint64(r[3])}));
        const QVector<quint32> full(4096, 4294967295u);
        QCOMPARE(sumThroughEnd(full.constData(), 4096, 0, 4095), Q_UINT64_C(4294967295) * 4096);
    }
};

QTEST_APPLESS_MAIN(TestRequestText)
#include "tst_requesttext.moc"
