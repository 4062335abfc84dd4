#include "requests/RequestText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

// GetValues takes the total and the ROI of a channel in one pass, four bins at a time: both
// must be what a plain count of the bins gives, for every ROI a client can set.
class TestBinSums : public QObject
{
    Q_OBJECT

    // Bins start <= i <= end that exist, one by one.
    static quint64 plainSum(const QVector<quint32>& bins, qint64 start, qint64 end)
    {
        quint64 sum = 0;
        for (qint64 i = qMax<qint64>(start, 0); i <= end && i < bins.size(); ++i)
            sum += bins.at(int(i));
        return sum;
    }

private slots:
    void onePassMatchesTheSeparateSums()
    {
        constexpr int n = 4096;
        constexpr int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
        QVector<quint32> bins(n);
        QRandomGenerator random(13);
        for (quint32& b : bins)
            b = random.generate(); // large counts: the sums must not wrap at 32 bits
        const QVector<int> bounds{lowest, -1, 0, 1, 2, 3, 5, 2047, 4091, 4094, 4095, 4096, 4097, highest};
        for (int start : bounds)
            for (int end : bounds) {
                const BinSums sums = sumTotalAndThroughEnd(bins.constData(), n, start, end);
                QCOMPARE(sums.roi, plainSum(bins, start, end));
                QCOMPARE(sums.total, plainSum(bins, 0, n));
            }
    }
};

QTEST_MAIN(TestBinSums)
#include "tst_binsums.moc"
