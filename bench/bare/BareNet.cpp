#include "BareNet.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace BareNet {

void fail(const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", what.c_str(), errno ? std::strerror(errno) : "failed");
    std::exit(2);
}

uint32_t loopback(const std::string& text)
{
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) fail("not an IPv4 address: " + text);
    const uint32_t host = ntohl(a.s_addr);
    if (host >> 24 != 127) fail("not a loopback address: " + text);
    return host;
}

std::string addressText(uint32_t address)
{
    in_addr a{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

static sockaddr_in socketAddress(uint32_t address, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

static int boundSocket(int type, uint32_t address, uint16_t port)
{
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in sa = socketAddress(address, port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) < 0)
        fail("bind " + addressText(address) + ":" + std::to_string(port));
    return fd;
}

int udpBound(uint32_t address, uint16_t port)
{
    return boundSocket(SOCK_DGRAM, address, port);
}

int tcpListening(uint32_t address, uint16_t port)
{
    const int fd = boundSocket(SOCK_STREAM, address, port);
    if (listen(fd, 64) < 0) fail("listen");
    return fd;
}

int tcpConnected(uint32_t address, uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    const sockaddr_in sa = socketAddress(address, port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) < 0)
        fail("connect " + addressText(address) + ":" + std::to_string(port));
    setNoDelay(fd);
    return fd;
}

int accepted(int listener)
{
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) fail("accept");
    setNoDelay(fd);
    return fd;
}

uint16_t localPort(int fd)
{
    sockaddr_in sa{};
    socklen_t size = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &size);
    return ntohs(sa.sin_port);
}

void setNoDelay(int fd)
{
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool waitReadable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int n = poll(&p, 1, timeoutMs);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) fail("poll");
    }
}

bool tryWriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void writeAll(int fd, const char* data, std::size_t size)
{
    if (!tryWriteAll(fd, data, size)) fail("write");
}

void readAll(int fd, char* data, std::size_t size)
{
    while (size > 0) {
        if (!waitReadable(fd)) fail("no data in time");
        const ssize_t n = read(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("read");
        data += n;
        size -= std::size_t(n);
    }
}

void sendTo(int udp, const char* data, std::size_t size, uint32_t address, uint16_t port)
{
    const sockaddr_in sa = socketAddress(address, port);
    sendto(udp, data, size, 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
}

bool LineReader::take(std::string& line)
{
    const std::size_t end = held.find('\n', start);
    if (end == std::string::npos) {
        held.erase(0, start);
        start = 0;
        return false;
    }
    line.assign(held, start, end - start);
    start = end + 1;
    return true;
}

bool LineReader::fill()
{
    char chunk[65536];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) return n < 0 && errno == EINTR;
    held.append(chunk, std::size_t(n));
    if (held.size() - start > maxLineBytes && held.find('\n', start) == std::string::npos)
        fail("line longer than the cap");
    return true;
}

bool LineReader::next(std::string& line)
{
    while (!take(line)) {
        if (!waitReadable(fd)) fail("no line in time");
        if (!fill()) return false;
    }
    return true;
}

void pinToCpu(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    if (sched_setaffinity(0, sizeof set, &set) < 0) fail("cannot pin to CPU " + std::to_string(cpu));
}

std::string option(int argc, char** argv, const std::string& name, const std::string& fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (name == argv[i]) return argv[i + 1];
    return fallback;
}

bool flag(int argc, char** argv, const std::string& name)
{
    for (int i = 1; i < argc; ++i)
        if (name == argv[i]) return true;
    return false;
}

} // namespace BareNet
