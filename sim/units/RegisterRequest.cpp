#include "RegisterRequest.h"

#include <QtEndian>

#include <cstring>

bool RegisterRequest::parse(const QByteArray& datagram)
{
    if (datagram.size() < headSize) return false;
    const auto* bytes = reinterpret_cast<const uchar*>(datagram.constData());
    if (bytes[0] != versionByte) return false;
    // The low nibble of the command byte carries flags a request may set; they change nothing.
    const quint8 command = bytes[1] & 0xF0;
    if (command != readCommand && command != writeCommand) return false;
    write = command == writeCommand;
    length = bytes[3];
    address = qFromBigEndian<quint32>(bytes + 4);
    data = datagram.constData() + headSize;
    return !write || datagram.size() >= headSize + length;
}

char* RegisterRequest::buildAnswerHead(QByteArray& answer, const QByteArray& request, quint32 answerAddress,
                                       int length)
{
    answer.resize(headSize + length);
    char* out = answer.data();
    memcpy(out, request.constData(), 4);
    out[1] = char(quint8(out[1]) | replyFlag);
    qToBigEndian<quint32>(answerAddress, out + 4);
    return out + headSize;
}
