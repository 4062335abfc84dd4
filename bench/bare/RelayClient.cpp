#include "RelayClient.h"

#include <unistd.h>

RelayClient::RelayClient(uint16_t port, const std::string& name, const std::string& key)
    : fd(BareNet::tcpConnected(BareNet::loopback("127.0.0.1"), port)), own(name), lines(fd)
{
    next(); // the challenge: a key list of one key answers every challenge
    send(name + ' ' + key + '\n');
    if (next().rfind("System>" + name + " Ok:", 0) != 0) BareNet::fail("log-in refused: " + line);
}

RelayClient::~RelayClient()
{
    close(fd);
}

void RelayClient::send(const std::string& text)
{
    BareNet::writeAll(fd, text.data(), text.size());
}

const std::string& RelayClient::next()
{
    if (!lines.next(line)) BareNet::fail("the relay closed the connection");
    return line;
}

const std::string* RelayClient::nextWithin(int timeoutMs)
{
    while (!lines.take(line)) {
        if (!BareNet::waitReadable(fd, timeoutMs)) return nullptr;
        if (!lines.fill()) BareNet::fail("the relay closed the connection");
    }
    return &line;
}

const std::string& RelayClient::ask(const std::string& to, const std::string& body)
{
    out.assign(own).append(1, '>').append(to).append(1, ' ').append(body).append(1, '\n');
    send(out);
    for (;;) {
        next();
        const std::size_t gt = line.find('>');
        if (gt == std::string::npos || line.compare(gt + 1, 7, "System ") != 0) return line;
    }
}
