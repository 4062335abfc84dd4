#pragma once

#include <QByteArray>
#include <QObject>
#include <QVector>

// Where a word was found: its place in the word list, its first byte and the byte after it.
struct WordHit
{
    int index = -1; // -1: no word found
    int pos = -1;
    int end = -1;
};

// The earliest occurrence at or after `from` of any of the words (exact, case-sensitive
// bytes); at the same position the earlier word of the list wins. One forward pass that
// stops at the first hit, so scanning a whole buffer word after word stays linear.
WordHit findFirstWord(const char* data, int size, const QVector<QByteArray>& words, int from = 0);

// Finds reply words in the bytes received from the data-link consumer.
class WordFinder : public QObject
{
    Q_OBJECT
public:
    explicit WordFinder(QObject* parent = nullptr);

    bool find(const QByteArray& buffer, int* index, QByteArray* word, int* pos, int* end, int from = 0) const;
    // How many bytes at the end of a buffer without a word may still begin one.
    int longestPrefix() const;

    QVector<QByteArray> words;
};
