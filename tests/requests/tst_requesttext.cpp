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

    void presetTypes()
    {
        QCOMPARE(presetTypeFromText("live"), 2);
        QCOMPARE(presetTypeFromText("Real"), 1);
        QCOMPARE(presetTypeFromText("NONE"), 0);
        QCOMPARE(presetTypeFromText("7"), 1);
        QCOMPARE(presetTypeFromText("-3"), 0);
        QCOMPARE(presetTypeFromText("xyz"), 0);
        QCOMPARE(presetTypeFromText("2"), 2);
    }

    void normalizeTypes()
    {
        QCOMPARE(normalizeTypeFromText("foo", 2), 2);
        QCOMPARE(normalizeTypeFromText("real", 2), 0);
        QCOMPARE(normalizeTypeFromText("1", 0), 1);
        QCOMPARE(normalizeTypeFromText("None", 1), 2);
        QCOMPARE(normalizeTypeName(0), QString("Real"));
        QCOMPARE(normalizeTypeName(1), QString("Live"));
        QCOMPARE(normalizeTypeName(7), QString("None"));
    }

    void registerValues()
    {
        QCOMPARE(registerValueFromText("0x1F"), quint16(31));
        QCOMPARE(registerValueFromText("0X1F"), quint16(0));
        QCOMPARE(registerValueFromText("70000"), quint16(4464));
        QCOMPARE(registerValueFromText(""), quint16(0));
        QCOMPARE(registerValueFromText("abc"), quint16(0));
        QCOMPARE(registerValueFromText("0x12345"), quint16(0x2345));
        QCOMPARE(registerValueFromText("-1"), quint16(0xFFFF));
    }

    void roiBounds()
    {
        QCOMPARE(roiBoundFromText("300.7"), 300);
        QCOMPARE(roiBoundFromText("-12.9"), -12);
        QCOMPARE(roiBoundFromText("x"), 0);
        QCOMPARE(roiBoundFromText("1e20"), std::numeric_limits<int>::max());
        QCOMPARE(roiBoundFromText("-1e20"), std::numeric_limits<int>::min());
        QCOMPARE(roiBoundFromText("nan"), 0);
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
