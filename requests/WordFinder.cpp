#include "requests/WordFinder.h"

#include <cstring>

WordHit findFirstWord(const char* data, int size, const QVector<QByteArray>& words, int from)
{
    for (int p = qMax(from, 0); p < size; ++p)
        for (int i = 0; i < words.size(); ++i) {
            const QByteArray& w = words.at(i);
            if (!w.isEmpty() && w.size() <= size - p && data[p] == w.at(0) &&
                memcmp(data + p, w.constData(), size_t(w.size())) == 0)
                return WordHit{i, p, p + w.size()};
        }
    return WordHit{};
}

WordFinder::WordFinder(QObject* parent) : QObject(parent) {}

bool WordFinder::find(const QByteArray& buffer, int* index, QByteArray* word, int* pos, int* end,
                      int from) const
{
    const WordHit hit = findFirstWord(buffer.constData(), buffer.size(), words, from);
    if (hit.index < 0) return false;
    *index = hit.index;
    *word = words.at(hit.index);
    *pos = hit.pos;
    *end = hit.end;
    return true;
}

int WordFinder::longestPrefix() const
{
    int longest = 0;
    for (const QByteArray& w : words)
        longest = qMax(longest, w.size() - 1);
    return longest;
}
