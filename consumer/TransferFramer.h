#pragma once

#include <QByteArray>
#include <QList>

// Cuts the byte stream of a data link into transfers. The number of blocks is not sent, so
// a transfer is either `blocks` blocks of 16432 bytes or, with `blocks` 0, what the reader
// holds when the stream pauses (its timer then calls takeHeld). At most maxBlocks blocks
// are held: the peer cannot make the buffer grow without bound.
class TransferFramer
{
public:
    static constexpr int maxBlocks = 256;

    explicit TransferFramer(int blocks = 0) { setBlocks(blocks); }

    // Clamped to 0..maxBlocks; what is held stays.
    void setBlocks(int blocks);
    int blocks() const { return perTransfer; }

    // Appends the bytes and moves every transfer they complete into `done`. Without a block
    // count, false when more than maxBlocks blocks would be held: then all held is dropped.
    // With one, less than a transfer is ever held; callers read in bounded pieces.
    bool append(const QByteArray& bytes, QList<QByteArray>& done);
    // What is held, as the transfer a pause ended; empty when nothing is.
    QByteArray takeHeld();
    int heldBytes() const { return held.size(); }
    void clear() { held.clear(); }

private:
    QByteArray held;
    int perTransfer = 0;
};
