#include "requests/RequestText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

// GetValues takes the total and the ROI of a channel in one pass: both must be what the
// separate sums give, for every ROI a client can set.
class TestBinSums : public QObject
{
    Q_OBJECT

private slots:
    void onePassMatchesTheSeparateSums()
    {
        constexpr int n = 4096;
        constexpr int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
        QVector<quint32> bins(n);
        QRandomGenerator random(13);
        for (quint32& b : bins)
            b = random.generate(); // large counts: the sums must not wrap at 32 bits
        const QVector<int> bounds{lowest, -1, 0, 1, 2047, 4094, 4095, 4096, 4097, highest};
        for (int start : bounds)
            for (int end : bounds) {
                const BinSums sums = sumTotalAndThroughEnd(bins.constData(), n, start, end);
                QCOMPARE(sums.roi, sumThroughEnd(bins.constData(), n, start, end));
                QCOMPARE(sums.total, sumBelowEnd(bins.constData(), n, 0, n));
            }
    }
};

QTEST_MAIN(TestBinSums)
#include "tst_binsums.moc"
