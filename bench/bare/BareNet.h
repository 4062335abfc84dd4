#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain POSIX sockets for the bare references: no toolkit, no event loop. Every wait is
// bounded by waitMs; a failure ends the process with a message, as a benchmark cannot go on.
namespace BareNet {

constexpr int waitMs = 60000; // long enough for a program run under a profiler
constexpr std::size_t maxLineBytes = 1 << 20;

[[noreturn]] void fail(const std::string& what);

// Loopback address text to a number in host order; fails for anything outside 127.0.0.0/8.
uint32_t loopback(const std::string& text);
std::string addressText(uint32_t address);

int udpBound(uint32_t address, uint16_t port);
int tcpListening(uint32_t address, uint16_t port);
int tcpConnected(uint32_t address, uint16_t port);
int accepted(int listener);
uint16_t localPort(int fd);
void setNoDelay(int fd);

// Blocks until fd is readable; false when waitMs passed.
bool waitReadable(int fd, int timeoutMs = waitMs);
void writeAll(int fd, const char* data, std::size_t size);
// The same, false instead of failing when the peer is gone.
bool tryWriteAll(int fd, const char* data, std::size_t size);
// Reads exactly size bytes.
void readAll(int fd, char* data, std::size_t size);

void sendTo(int udp, const char* data, std::size_t size, uint32_t address, uint16_t port);

// Lines of one stream socket, each capped at maxLineBytes.
class LineReader
{
public:
    explicit LineReader(int fd) : fd(fd) {}
    // The next line without its '\n'; false when the peer closed.
    bool next(std::string& line);
    // One read of what is there; false when the peer closed.
    bool fill();
    // A complete line already held, without reading.
    bool take(std::string& line);

private:
    int fd;
    std::string held;
    std::size_t start = 0;
};

// Pins this process (and what it starts) to one CPU, as taskset -c cpu would.
void pinToCpu(int cpu);

// "--name value" from argv, or fallback.
std::string option(int argc, char** argv, const std::string& name, const std::string& fallback);
bool flag(int argc, char** argv, const std::string& name);

} // namespace BareNet
