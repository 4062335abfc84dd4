// Register answers of the units: a datagram taken apart and checked against the request it
// may answer; and request frames read back as answers.
#include "FuzzSupport.h"

#include "dsp/RegisterFrame.h"

namespace {

// The first n bytes (at most 8) as one big-endian number, byte by byte.
quint64 leadingNumber(const QByteArray& bytes, int n)
{
    quint64 value = 0;
    for (int i = 0; i < qMin(n, 8); ++i)
        value = value << 8 | quint8(bytes.at(i));
    return value;
}

void checkDecoding(const QByteArray& datagram)
{
    quint32 header = 1, address = 1;
    quint64 value = 1;
    QByteArray payload("stale");
    RegisterFrame::decodeAnswer(datagram, header, address, payload, value);
    const int size = datagram.size();
    FUZZ_CHECK(header == (size >= 4 ? quint32(leadingNumber(datagram, 4)) : 0));
    FUZZ_CHECK(address == answerAddress(datagram));
    FUZZ_CHECK(payload == datagram.mid(RegisterFrame::headSize));
    FUZZ_CHECK(value == leadingNumber(payload, payload.size()));

    FUZZ_CHECK(RegisterFrame::answerFits(datagram, address, 0));
    FUZZ_CHECK(RegisterFrame::answerFits(datagram, address, size));
    FUZZ_CHECK(!RegisterFrame::answerFits(datagram, address, size + 1));
    FUZZ_CHECK(!RegisterFrame::answerFits(datagram, address + 1, 0));
}

// A write request read back as an answer carries its address and the low `length` bytes.
void checkWriteFrame(quint32 address, quint64 value, int length)
{
    QByteArray frame;
    RegisterFrame::buildWrite(frame, address, value, length);
    const int used = qBound(0, length, 8);
    FUZZ_CHECK(frame.size() == RegisterFrame::headSize + used);
    quint32 header, decodedAddress;
    quint64 decodedValue;
    QByteArray payload;
    RegisterFrame::decodeAnswer(frame, header, decodedAddress, payload, decodedValue);
    FUZZ_CHECK(header == RegisterFrame::writeHead + quint32(used));
    FUZZ_CHECK(decodedAddress == address);
    const quint64 mask = used == 8 ? ~quint64(0) : (quint64(1) << (8 * used)) - 1;
    FUZZ_CHECK(decodedValue == (value & mask));

    RegisterFrame::buildRead(frame, address, length);
    FUZZ_CHECK(frame.size() == RegisterFrame::headSize && answerAddress(frame) == address);
}

} // namespace

// Input: the datagram; its first 13 bytes also give an address, a value and a length.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), int(size));
    checkDecoding(datagram);

    Fuzz::Input input(data, size);
    const quint32 address = input.take(4);
    const quint64 high = input.take(4);
    const quint64 value = high << 32 | input.take(4);
    const int length = int(qint8(input.take(1)));
    checkWriteFrame(address, value, length);
    return 0;
}
