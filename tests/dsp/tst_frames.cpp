#include "dsp/RegisterFrame.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

// The register datagrams and the histogram's words, as plain functions.
class TestFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Unit answers shorter than their head or than the value asked for read as 0.
    void shortAnswersReadAsZero()
    {
        QByteArray frame;
        RegisterFrame::buildRead(frame, 0xB4000010, 2);
        QCOMPARE(answerAddress(frame.left(7)), quint32(0));
        QCOMPARE(decodeBigEndian(2, "\x12\x34"), quint64(0x1234));
        QCOMPARE(decodeBigEndian(4, "\x12\x34"), quint64(0));
    }

    // Histogram bytes become bins: each word as the plain big-endian reading
    // gives it, whatever the count and the alignment, and nothing written past the end.
    void histogramWordsMatchThePlainReading()
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
                QCOMPARE(words.at(count), quint32(0xA5A5A5A5));
            }
    }
};

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
