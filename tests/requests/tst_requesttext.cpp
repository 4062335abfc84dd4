#include "requests/RequestText.h"

#include <QtTest>

#include <limits>

class TestRequestText : public QObject
{
    Q_OBJECT
private slots:
    void numbers()
    {
        QCOMPARE(numberText(1.5), QString("1.5"));
        QCOMPARE(numberText(0.1234567), QString("0.123457"));
        QCOMPARE(numberText(1234567.0), QString("1.23457e+06"));
        QCOMPARE(numberText(2.0), QString("2"));
        QCOMPARE(numbersText({1, 2.5, 1e-9}), QString("1 2.5 1e-09"));
        QCOMPARE(numbersText({}), QString());
    }

    void countsJoin()
    {
        const quint32 bins[] = {0, 7, 4294967295u, 10};
        QCOMPARE(countsText(bins, 4), QString("0 7 4294967295 10"));
        QCOMPARE(countsText(bins, 0), QString());
        QCOMPARE(countsText(QVector<quint64>{Q_UINT64_C(18446744073709551615), 1}),
                 QString("18446744073709551615 1"));
        QVector<quint32> many(4096);
        for (int i = 0; i < many.size(); ++i)
            many[i] = quint32(i) * 1000003u;
        const QStringList parts = countsText(many.constData(), many.size()).split(' ');
        QCOMPARE(parts.size(), 4096);
        for (int i = 0; i < many.size(); i += 97)
            QCOMPARE(parts.at(i).toUInt(), many.at(i));
    }

    void meanOverAnsweredValues()
    {
        QCOMPARE(meanText({1, 2}), QString("1.5"));
        QCOMPARE(meanText({}), QString("0"));
        // the mean is taken over the 6-digit texts, not the raw values
        QCOMPARE(meanText({1.0000004, 1.0000004}), QString("1"));
        QCOMPARE(meanText({1.2345649, 1.2345649}), QString("1.23456"));
    }

    void roiSums()
    {
        QVector<quint32> ones(4096, 1);
        const quint32* b = ones.constData();
        QCOMPARE(sumBelowEnd(b, 4096, 100, 200), quint64(100));
        QCOMPARE(sumThroughEnd(b, 4096, 100, 200), quint64(101));
        QCOMPARE(sumBelowEnd(b, 4096, 4000, 9999), quint64(96));
        QCOMPARE(sumThroughEnd(b, 4096, 4000, 9999), quint64(96));
        QCOMPARE(sumBelowEnd(b, 4096, -50, 10), quint64(10));
        QCOMPARE(sumThroughEnd(b, 4096, -50, 10), quint64(11));
        QCOMPARE(sumBelowEnd(b, 4096, 300, 12), quint64(0));
        QCOMPARE(sumThroughEnd(b, 4096, 300, 12), quint64(0));
        QCOMPARE(sumThroughEnd(b, 4096, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()),
                 quint64(4096));
        QCOMPARE(sumThroughEnd(b, 4096, 5000, 6000), quint64(0));
        QVector<quint32> big(4096, 4294967295u);
        QCOMPARE(sumThroughEnd(big.constData(), 4096, 0, 4095), Q_UINT64_C(4294967295) * 4096);
    }
};

QTEST_APPLESS_MAIN(TestRequestText)
#include "tst_requesttext.moc"
