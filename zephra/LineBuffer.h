#pragma once

#include <QByteArray>

// Splits the bytes of a stream into lines ended by '\n'. A line of more than maxLineBytes
// (its end not counted) is dropped whole, up to and including its end, however it arrives:
// an unfinished one is held only up to the cap, so a peer that never ends its line cannot
// make the buffer grow without bound. Every byte is scanned once, so the cost grows linearly
// with what arrives.
class LineBuffer
{
public:
    static constexpr int maxLineBytes = 64 * 1024;

    void append(const QByteArray& bytes);
    // The next complete line within the cap, with its '\n'; false when there is none yet.
    bool takeLine(QByteArray& line);
    // How many over-long lines were dropped since the last call (those that arrive whole are
    // found by takeLine).
    int takeDroppedLines();
    void clear();

private:
    QByteArray held;       // complete lines not yet taken, then the unfinished line
    int taken = 0;         // bytes of `held` already handed out
    int tailStart = 0;     // where the unfinished line starts
    bool dropping = false; // inside an over-long line: skip up to its end
    int droppedLines = 0;
};
