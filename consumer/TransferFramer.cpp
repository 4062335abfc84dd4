#include "consumer/TransferFramer.h"

#include "consumer/McaTransfer.h"

#include <QtGlobal>

void TransferFramer::setBlocks(int blocks)
{
    perTransfer = qBound(0, blocks, maxBlocks);
}

bool TransferFramer::append(const QByteArray& bytes, QList<QByteArray>& done)
{
    if (perTransfer == 0) {
        if (held.size() + qint64(bytes.size()) > qint64(maxBlocks) * McaTransfer::blockSize) {
            held.clear();
            return false;
        }
        held += bytes;
        return true;
    }
    held += bytes;
    const int size = perTransfer * McaTransfer::blockSize;
    int from = 0;
    for (; held.size() - from >= size; from += size)
        done << held.mid(from, size);
    held.remove(0, from);
    return true;
}

QByteArray TransferFramer::takeHeld()
{
    QByteArray bytes;
    bytes.swap(held);
    return bytes;
}
