// bare-relay: the least a line relay must do, as the reference for the message server.
// Each client gets a challenge line, answers "name key" (any key is taken) and is told
// "System>name Ok: welcome"; then each line "from>to body" goes unchanged to the client
// logged in as the node part of `to`, and a line to System to every other client. Lines
// for nobody are dropped. One thread, epoll, no buffering beyond the line being relayed.
#include "BareNet.h"

#include <cstdio>
#include <map>
#include <memory>
#include <sys/epoll.h>
#include <unistd.h>

namespace {

struct Client
{
    int fd;
    std::string name; // empty until logged in
    BareNet::LineReader lines;
    explicit Client(int fd) : fd(fd), lines(fd) {}
};

std::map<int, std::unique_ptr<Client>> clients;
std::map<std::string, Client*> byName;

void drop(int epoll, Client* c)
{
    epoll_ctl(epoll, EPOLL_CTL_DEL, c->fd, nullptr);
    close(c->fd);
    const auto named = byName.find(c->name);
    if (named != byName.end() && named->second == c) byName.erase(named);
    clients.erase(c->fd);
}

void relay(Client* from, std::string& line)
{
    if (from->name.empty()) {
        from->name = line.substr(0, line.find(' '));
        byName[from->name] = from;
        const std::string ok = "System>" + from->name + " Ok: welcome\n";
        BareNet::tryWriteAll(from->fd, ok.data(), ok.size());
        return;
    }
    const std::size_t gt = line.find('>');
    const std::size_t blank = line.find(' ');
    if (gt == std::string::npos || blank == std::string::npos || blank < gt) return;
    const std::size_t nodeEnd = std::min(blank, line.find('.', gt));
    const std::string to = line.substr(gt + 1, nodeEnd - gt - 1);
    line += '\n';
    if (to != "System") {
        const auto it = byName.find(to);
        if (it != byName.end()) BareNet::tryWriteAll(it->second->fd, line.data(), line.size());
        return;
    }
    for (const auto& [name, c] : byName)
        if (c != from) BareNet::tryWriteAll(c->fd, line.data(), line.size());
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t address = BareNet::loopback(BareNet::option(argc, argv, "--address", "127.0.0.1"));
    const int listener =
        BareNet::tcpListening(address, uint16_t(std::stoi(BareNet::option(argc, argv, "--port", "0"))));
    std::printf("listening %u\n", BareNet::localPort(listener));
    std::fflush(stdout);

    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listener;
    epoll_ctl(epoll, EPOLL_CTL_ADD, listener, &ev);
    epoll_event ready[64];
    std::string line;
    for (;;) {
        const int n = epoll_wait(epoll, ready, 64, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = ready[i].data.fd;
            if (fd == listener) {
                const int c = BareNet::accepted(listener);
                clients[c] = std::make_unique<Client>(c);
                ev.data.fd = c;
                epoll_ctl(epoll, EPOLL_CTL_ADD, c, &ev);
                BareNet::tryWriteAll(c, "0\n", 2);
                continue;
            }
            const auto it = clients.find(fd);
            if (it == clients.end()) continue;
            Client* c = it->second.get();
            if (!c->lines.fill()) {
                drop(epoll, c);
                continue;
            }
            while (c->lines.take(line))
                relay(c, line);
        }
    }
}
