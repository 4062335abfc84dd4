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
    if (taken >= tailStart) {
        held.remove(0, taken);
        tailStart -= taken;
        taken = 0;
        return false;
    }
    const int end = held.indexOf('\n', taken);
    line = held.mid(taken, end + 1 - taken);
    taken = end + 1;
    return true;
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
