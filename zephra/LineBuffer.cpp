#include "zephra/LineBuffer.h"

void LineBuffer::append(const QByteArray& bytes)
{
    int from = 0;
    if (dropping) {
        const int end = bytes.indexOf('\n');
        if (end < 0) return;
        dropping = false;
        ++droppedLines;
        from = end + 1;
    }
    const int lastEnd = bytes.lastIndexOf('\n');
    if (lastEnd >= from) tailStart = held.size() + lastEnd - from + 1;
    held.append(bytes.constData() + from, bytes.size() - from);
    if (held.size() - tailStart > maxLineBytes) {
        held.truncate(tailStart);
        dropping = true;
    }
}

bool LineBuffer::takeLine(QByteArray& line)
{
    while (taken < tailStart) {
        const int start = taken;
        const int end = held.indexOf('\n', start);
        taken = end + 1;
        // A line that arrived whole in one chunk is held to the same cap as one still arriving.
        if (end - start > maxLineBytes) {
            ++droppedLines;
            continue;
        }
        line = held.mid(start, end + 1 - start);
        return true;
    }
    held.remove(0, taken);
    tailStart -= taken;
    taken = 0;
    return false;
}

int LineBuffer::takeDroppedLines()
{
    const int n = droppedLines;
    droppedLines = 0;
    return n;
}

void LineBuffer::clear()
{
    held.clear();
    taken = tailStart = 0;
    dropping = false;
    droppedLines = 0;
}
