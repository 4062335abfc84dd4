#include "BareUnitClient.h"

#include "BareNet.h"

#include <sys/socket.h>
#include <unistd.h>

static void putBigEndian(unsigned char* at, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        at[i] = (unsigned char)value;
}

BareUnitClient::BareUnitClient(uint32_t address, uint16_t udpPort, uint16_t tcpPort, bool openStream)
    : address(address), udpPort(udpPort)
{
    udp = BareNet::udpBound(BareNet::loopback("127.0.0.1"), 0);
    if (openStream) tcp = BareNet::tcpConnected(address, tcpPort);
}

BareUnitClient::~BareUnitClient()
{
    close(udp);
    if (tcp >= 0) close(tcp);
}

uint64_t BareUnitClient::exchange(std::size_t size)
{
    BareNet::sendTo(udp, reinterpret_cast<const char*>(datagram), size, address, udpPort);
    if (!BareNet::waitReadable(udp)) BareNet::fail("no register answer in time");
    const ssize_t n = recv(udp, datagram, sizeof datagram, 0);
    uint64_t value = 0;
    for (ssize_t i = 8; i < n; ++i)
        value = value << 8 | datagram[i];
    return value;
}

uint64_t BareUnitClient::read(uint32_t at, int length)
{
    putBigEndian(datagram, 0xFFC00600u + uint32_t(length), 4);
    putBigEndian(datagram + 4, at, 4);
    return exchange(8);
}

void BareUnitClient::write(uint32_t at, uint64_t value, int length)
{
    putBigEndian(datagram, 0xFF800700u + uint32_t(length), 4);
    putBigEndian(datagram + 4, at, 4);
    putBigEndian(datagram + 8, value, length);
    exchange(8 + std::size_t(length));
}

void BareUnitClient::fetchHistogram(int ch, char* bytes)
{
    write(histgramRegister, uint64_t(ch));
    BareNet::readAll(tcp, bytes, histogramBytes);
}
