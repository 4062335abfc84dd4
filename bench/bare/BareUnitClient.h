#pragma once

#include <cstdint>
#include <string>

// One unit driven through plain sockets: the least the program must do to reach a unit.
class BareUnitClient
{
public:
    static constexpr uint32_t histgramRegister = 0xB400004A;
    static constexpr std::size_t histogramBytes = 16384;

    BareUnitClient(uint32_t address, uint16_t udpPort, uint16_t tcpPort, bool openStream = true);
    ~BareUnitClient();
    BareUnitClient(const BareUnitClient&) = delete;
    BareUnitClient& operator=(const BareUnitClient&) = delete;

    // One waited exchange; returns the answer's register bytes as one number.
    uint64_t read(uint32_t address, int length = 2);
    void write(uint32_t address, uint64_t value, int length = 2);
    // Asks for a channel's histogram and reads its bytes into `bytes` (histogramBytes long).
    void fetchHistogram(int ch, char* bytes);

private:
    uint64_t exchange(std::size_t size);

    uint32_t address;
    uint16_t udpPort;
    int udp;
    int tcp = -1;
    unsigned char datagram[512];
};
