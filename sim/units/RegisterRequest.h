#pragma once

#include <QByteArray>
#include <QtGlobal>

// One request of the register protocol and the answer to it. Fields are big-endian.
//
//   offset size  request                         answer
//   0      1     0xFF                            as in the request
//   1      1     0xC0 read, 0x80 write           as in the request, OR 0x08
//   2      1     packet id                       as in the request
//   3      1     length n in bytes               as in the request
//   4      4     address of the first register   as in the request
//   8      n     write: the bytes to store       the register bytes after the request
//
// Byte i of a run belongs to the 16-bit register at address + 2 * (i / 2): even i is its
// high byte, odd i its low byte.
struct RegisterRequest
{
    static constexpr int headSize = 8;
    static constexpr quint8 versionByte = 0xFF;
    static constexpr quint8 readCommand = 0xC0;
    static constexpr quint8 writeCommand = 0x80;
    static constexpr quint8 replyFlag = 0x08;

    bool write = false;
    int length = 0;
    quint32 address = 0;
    const char* data = nullptr; // the bytes to store, inside the parsed datagram

    // False for a datagram that deserves no answer: too short, a foreign first byte, an
    // unknown command, or a write with fewer bytes than it announces.
    bool parse(const QByteArray& datagram);

    // The register and byte half of byte i of the run.
    quint32 wordAddress(int i) const { return address + 2 * quint32(i / 2); }
    static bool isHighByte(int i) { return i % 2 == 0; }

    // Puts the answer head into `answer`, sized for the payload, and returns where the
    // payload starts. `answerAddress` may differ from the request's (a fault).
    static char* buildAnswerHead(QByteArray& answer, const QByteArray& request, quint32 answerAddress,
                                 int length);
};
