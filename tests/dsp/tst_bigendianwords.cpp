#include "dsp/RegisterFrame.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

// Histogram bytes become bins four at a time: every word must come out as the plain
// big-endian reading gives it, whatever the count and the alignment of the bytes.
class TestBigEndianWords : public QObject
{
    Q_OBJECT

private slots:
    void wordsMatchThePlainReading()
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
                QCOMPARE(words.at(count), quint32(0xA5A5A5A5)); // nothing written past the end
            }
    }
};

QTEST_MAIN(TestBigEndianWords)
#include "tst_bigendianwords.moc"
