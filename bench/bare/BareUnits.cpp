// bare-units: the least a set of DSP units must do, as the reference for the units. Unit i
// answers at the first address + i: a register datagram (8-byte head, then for a write the
// bytes to store) is answered with its head (reply flag set) and the register bytes; a
// write of a channel number to the histogram register is followed by that channel's
// 16384-byte histogram on every TCP connection to the unit. Registers hold what was written,
// else 0. One thread, epoll; prints "ready udp=P tcp=Q" once every socket is bound.
#include "BareNet.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr uint32_t histgramRegister = 0xB400004A;
constexpr int channels = 4;
constexpr int bins = 4096;
constexpr int headSize = 8;

struct Unit
{
    int udp = -1;
    int listener = -1;
    std::vector<int> streams;
    std::unordered_map<uint32_t, uint16_t> words;
    std::string histograms[channels];
};

uint32_t bigEndian(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Mostly two-digit counts and a peak, so that an answer of counts is as long as a real one.
std::string histogramOf(int unit, int ch)
{
    std::string bytes(bins * 4, '\0');
    uint32_t seed = 2463534242u + uint32_t(unit * channels + ch);
    for (int i = 0; i < bins; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const int fromPeak = i - 1000 - 500 * ch;
        const uint32_t count = 10 + seed % 90 + (fromPeak * fromPeak < 400 ? 40000 : 0);
        for (int b = 0; b < 4; ++b)
            bytes[std::size_t(4 * i + b)] = char(count >> (24 - 8 * b));
    }
    return bytes;
}

void answer(Unit& u)
{
    unsigned char in[2048];
    sockaddr_storage from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n = recvfrom(u.udp, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < headSize || in[0] != 0xFF) return;
    const bool write = (in[1] & 0xF0) == 0x80;
    const int length = in[3];
    const uint32_t address = bigEndian(in + 4);
    if (write && n < headSize + length) return;
    unsigned char out[headSize + 256];
    std::copy(in, in + headSize, out);
    out[1] |= 0x08;
    int histogram = -1;
    for (int i = 0; i < length; i += 2) {
        const uint32_t word = address + uint32_t(i);
        if (write) {
            const uint16_t value =
                uint16_t(in[headSize + i] << 8 | (i + 1 < length ? in[headSize + i + 1] : 0));
            u.words[word] = value;
            if (word == histgramRegister && value < channels) histogram = value;
        }
        const uint16_t value = u.words.count(word) ? u.words[word] : 0;
        out[headSize + i] = (unsigned char)(value >> 8);
        if (i + 1 < length) out[headSize + i + 1] = (unsigned char)value;
    }
    sendto(u.udp, out, std::size_t(headSize + length), 0, reinterpret_cast<sockaddr*>(&from), fromSize);
    if (histogram < 0) return;
    const std::string& data = u.histograms[histogram];
    for (const int s : u.streams)
        BareNet::tryWriteAll(s, data.data(), data.size()); // a gone one is closed by main()
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t first = BareNet::loopback(BareNet::option(argc, argv, "--first-address", "127.0.50.2"));
    const int count = std::stoi(BareNet::option(argc, argv, "--units", "1"));
    uint16_t udpPort = uint16_t(std::stoi(BareNet::option(argc, argv, "--udp-port", "0")));
    uint16_t tcpPort = uint16_t(std::stoi(BareNet::option(argc, argv, "--tcp-port", "0")));
    if (count < 1 || count > 250) BareNet::fail("--units wants 1 to 250");

    std::vector<Unit> units(static_cast<std::size_t>(count));
    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    enum Kind { registers, listener, stream };
    std::map<int, std::pair<int, Kind>> owner; // fd -> unit and what the socket does
    auto watch = [&](int fd, int unit, Kind kind) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev);
        owner[fd] = {unit, kind};
    };
    for (int i = 0; i < count; ++i) {
        Unit& u = units[std::size_t(i)];
        u.udp = BareNet::udpBound(first + uint32_t(i), udpPort);
        u.listener = BareNet::tcpListening(first + uint32_t(i), tcpPort);
        udpPort = BareNet::localPort(u.udp);
        tcpPort = BareNet::localPort(u.listener);
        for (int ch = 0; ch < channels; ++ch)
            u.histograms[ch] = histogramOf(i, ch);
        watch(u.udp, i, registers);
        watch(u.listener, i, listener);
    }
    std::printf("ready udp=%u tcp=%u\n", udpPort, tcpPort);
    std::fflush(stdout);

    epoll_event ready[64];
    for (;;) {
        const int n = epoll_wait(epoll, ready, 64, -1);
        for (int k = 0; k < n; ++k) {
            const int fd = ready[k].data.fd;
            const auto [unit, kind] = owner[fd];
            Unit& u = units[std::size_t(unit)];
            if (kind == registers) {
                answer(u);
            } else if (kind == listener) {
                u.streams.push_back(BareNet::accepted(u.listener));
                watch(u.streams.back(), unit, stream);
            } else {
                // A client never sends on its stream: anything readable is its end.
                char sink[4096];
                if (read(fd, sink, sizeof sink) > 0) continue;
                epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
                owner.erase(fd);
                close(fd);
                u.streams.erase(std::find(u.streams.begin(), u.streams.end(), fd));
            }
        }
    }
}
