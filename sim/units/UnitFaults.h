#pragma once

#include <QtGlobal>

// Misbehaviour switched on per unit, to see how the program copes.
struct UnitFaults
{
    bool noAnswer = false;      // requests are carried out, their answers are lost
    int answersLeft = -1;       // this many more requests are answered, then none (negative: all)
    int answerDelayMs = 0;      // answers leave this late (0: at once)
    bool wrongAddress = false;  // the answer carries the request address + 2
    bool strayDatagram = false; // an answer for another address goes out first
    int extraAnswerBytes = 0;   // the answer carries this many bytes more than asked for
    bool refuseTcp = false;     // no listening: new TCP connections are refused
    int cutBytes = -1;          // histograms end after this many bytes (negative: whole)
    int pieceBytes = 0;         // histograms go out in pieces of this size (0: in one go)
    int pieceGapMs = 0;         // pause between two pieces
    bool emergency = false;     // HV unit: emergency bits set in the status word
    int losePercent = 0;        // this share of answers is lost at random (the requests are carried out)
    quint32 loseSeed = 0;       // the draws of that loss, the same for the same seed and requests
    int trailingBytes = 0;      // this many bytes follow every histogram on its connection
    bool closeAfterHistogram = false; // a connection is closed once a histogram has gone out on it
};
