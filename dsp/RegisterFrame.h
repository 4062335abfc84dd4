#pragma once

#include <QByteArray>
#include <QtGlobal>

// Datagrams of the units' register protocol. All fields are big-endian.
//
//   offset size  read request   write request   answer
//   0      1     0xFF           0xFF            0xFF
//   1      1     0xC0           0x80            command byte with the reply flag
//   2      1     0x06           0x07            packet id of the request
//   3      1     length n       length n        length n
//   4      4     address        address         address
//   8      n     -              value, low n    register bytes, most significant first
//                               bytes
namespace RegisterFrame {
constexpr int headSize = 8;
constexpr quint32 readHead = 0xFFC00600;
constexpr quint32 writeHead = 0xFF800700;

// Fills `frame` (resized as needed, so a reused buffer does not reallocate).
void buildRead(QByteArray& frame, quint32 address, int length);
void buildWrite(QByteArray& frame, quint32 address, quint64 value, int length);

// An answer taken apart: header and address are 0 where the datagram is too short for
// them, the payload is every byte after the head, and the value is the payload read as
// decodeBigEndian reads it. `payload` is reused, so taking answers does not reallocate.
void decodeAnswer(const QByteArray& datagram, quint32& header, quint32& address, QByteArray& payload,
                  quint64& value);

// Whether the datagram answers a request for `address` that expects `expectedSize` bytes
// (head and register bytes; 0: any size).
bool answerFits(const QByteArray& datagram, quint32 address, int expectedSize);
} // namespace RegisterFrame

// The address field of an answer (bytes 4..7); 0 when the datagram is shorter than 8 bytes.
quint32 answerAddress(const QByteArray& datagram);

// The first n bytes read as one unsigned big-endian number; 0 when there are fewer than n
// bytes or n <= 0. Only the first 8 bytes of a longer run fit a 64-bit value.
quint64 decodeBigEndian(int n, const QByteArray& bytes);

// `count` big-endian 32-bit words, such as a histogram's bins, in host order.
void decodeBigEndianWords(const char* bytes, int count, quint32* words);
