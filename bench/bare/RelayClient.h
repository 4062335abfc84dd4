#pragma once

#include "BareNet.h"

#include <string>

// A client of the line relay (or of the message server) through a plain socket, waiting
// without an event loop.
class RelayClient
{
public:
    RelayClient(uint16_t port, const std::string& name, const std::string& key = "bench-key");
    ~RelayClient();
    RelayClient(const RelayClient&) = delete;
    RelayClient& operator=(const RelayClient&) = delete;

    // Sends "name>to body" and returns the next line that is no event, without its '\n'.
    const std::string& ask(const std::string& to, const std::string& body);
    void send(const std::string& line);
    // The next line, events included.
    const std::string& next();
    // The same, or null when none came within timeoutMs.
    const std::string* nextWithin(int timeoutMs);
    int socket() const { return fd; }
    const std::string& name() const { return own; }

private:
    int fd;
    std::string own;
    BareNet::LineReader lines;
    std::string line;
    std::string out;
};
