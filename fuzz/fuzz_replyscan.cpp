// The consumer's replies on the data link: "Ack" and "Nack" found anywhere in bytes that
// arrive in chunks of any size, with only a short tail kept between chunks.
#include "FuzzSupport.h"

#include "requests/WordFinder.h"

#include <QVector>

namespace {

// Every word in the whole stream, scanning on after each one: the words a client meant.
QVector<int> wordsInStream(const WordFinder& finder, const QByteArray& stream)
{
    QVector<int> found;
    for (int from = 0;;) {
        const WordHit hit = findFirstWord(stream.constData(), stream.size(), finder.words, from);
        const int stop = hit.index < 0 ? stream.size() : hit.pos;
        // No word starts before the hit.
        for (int p = from; p < stop; ++p)
            for (const QByteArray& w : finder.words)
                FUZZ_CHECK(stream.mid(p, w.size()) != w);
        if (hit.index < 0) return found;
        FUZZ_CHECK(stream.mid(hit.pos, hit.end - hit.pos) == finder.words.at(hit.index));
        found << hit.index;
        from = hit.end;
    }
}

} // namespace

// Input: one byte giving the chunk size (0: all at once), then the bytes the consumer sent.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WordFinder finder;
    if (finder.words.isEmpty())
        finder.words << "Ack"
                     << "Nack";

    Fuzz::Input input(data, size);
    const int chunk = int(input.take(1));
    const QByteArray stream = input.rest();
    const int step = chunk == 0 ? qMax(1, stream.size()) : chunk;

    // As the event-driven link reads: scan what is held, then keep only a tail that may
    // still begin a word.
    QByteArray held;
    QVector<int> found;
    for (int at = 0; at < stream.size(); at += step) {
        held += stream.mid(at, step);
        int index = 0, pos = 0, end = 0, from = 0;
        QByteArray word;
        while (finder.find(held, &index, &word, &pos, &end, from)) {
            FUZZ_CHECK(pos >= from && end == pos + word.size() && held.mid(pos, word.size()) == word);
            found << index;
            from = end;
        }
        held.remove(0, qMax(from, held.size() - finder.longestPrefix()));
        FUZZ_CHECK(held.size() <= finder.longestPrefix());
    }
    FUZZ_CHECK(found == wordsInStream(finder, stream));
    return 0;
}
