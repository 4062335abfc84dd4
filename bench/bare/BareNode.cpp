// bare-node: the least a node must do to serve the benchmark's requests, as the reference
// for the program. It logs in to the relay and serves each request with the unit exchanges
// the program makes for it, through plain sockets, then answers "@cmd " followed by as many
// bytes as the request's last number asks for (the length of the program's answer):
//   Status n       one 2-byte register read of unit 0
//   GetHistgram n  one histogram of unit 0 (register write, 16384 bytes over TCP)
//   GetValues n    per unit 13 register reads (times); then per unit and channel one
//                  histogram and two 4-byte reads (counts and input rate)
//   GetMCAs n      the answer first, then units x 4 blocks of 16432 bytes on the data link,
//                  and the consumer's "Ack" read
//   anything else  answered "Ok:" at once
// With --startup it first makes the unit exchanges of the program's start-up: per unit
// seven register writes and the TCP connection, then 212 register reads per unit.
#include "BareNet.h"
#include "BareUnitClient.h"
#include "RelayClient.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int channels = 4;
constexpr std::size_t blockBytes = 16432;
constexpr int startUpWrites = 7;
constexpr int settingsReads = 212;
constexpr uint32_t modeRegister = 0xB4000010;

struct Node
{
    std::vector<std::unique_ptr<BareUnitClient>> units;
    int dataLinkListener = -1;
    int dataLink = -1;
    std::vector<char> histogram = std::vector<char>(BareUnitClient::histogramBytes);
    std::vector<char> blocks;

    void values()
    {
        for (auto& u : units)
            for (int i = 0; i < 1 + 3 * channels; ++i)
                u->read(modeRegister, i % 3 == 0 ? 6 : 4);
        for (auto& u : units)
            for (int ch = 0; ch < channels; ++ch) {
                u->fetchHistogram(ch, histogram.data());
                u->read(modeRegister, 4);
                u->read(modeRegister, 4);
            }
    }

    void sendBlocks()
    {
        if (dataLink < 0) {
            if (!BareNet::waitReadable(dataLinkListener)) BareNet::fail("no data-link consumer");
            dataLink = BareNet::accepted(dataLinkListener);
        }
        blocks.resize(units.size() * channels * blockBytes);
        BareNet::writeAll(dataLink, blocks.data(), blocks.size());
        char reply[16];
        if (!BareNet::waitReadable(dataLink) || read(dataLink, reply, sizeof reply) < 3)
            BareNet::fail("no reply on the data link");
    }
};

} // namespace

int main(int argc, char** argv)
{
    using BareNet::option;
    const uint16_t relayPort = uint16_t(std::stoi(option(argc, argv, "--relay-port", "0")));
    const uint32_t first = BareNet::loopback(option(argc, argv, "--first-address", "127.0.50.2"));
    const int count = std::stoi(option(argc, argv, "--units", "1"));
    const uint16_t udpPort = uint16_t(std::stoi(option(argc, argv, "--udp-port", "0")));
    const uint16_t tcpPort = uint16_t(std::stoi(option(argc, argv, "--tcp-port", "0")));
    const bool startUp = BareNet::flag(argc, argv, "--startup");

    Node node;
    for (int i = 0; i < count; ++i) {
        node.units.push_back(std::make_unique<BareUnitClient>(first + uint32_t(i), udpPort, tcpPort));
        if (startUp)
            for (int w = 0; w < startUpWrites; ++w)
                node.units.back()->write(modeRegister, 0);
    }
    if (startUp)
        for (auto& u : node.units)
            for (int r = 0; r < settingsReads; ++r)
                u->read(modeRegister + 2 * uint32_t(r));
    node.dataLinkListener = BareNet::tcpListening(BareNet::loopback("127.0.0.1"), 0);
    RelayClient relay(relayPort, option(argc, argv, "--name", "bare"));
    std::printf("ready data-link=%u\n", BareNet::localPort(node.dataLinkListener));
    std::fflush(stdout);

    std::string answer;
    for (;;) {
        const std::string& line = relay.next();
        const std::size_t gt = line.find('>');
        const std::size_t blank = line.find(' ');
        if (gt == std::string::npos || blank == std::string::npos || blank < gt) continue;
        const std::size_t cmdEnd = std::min(line.find(' ', blank + 1), line.size());
        const std::string cmd = line.substr(blank + 1, cmdEnd - blank - 1);
        if (cmd.empty() || cmd[0] == '@' || cmd[0] == '_') continue;
        std::size_t length = 3;
        const std::size_t lastBlank = line.rfind(' ');
        if (lastBlank > blank + 1)
            std::from_chars(line.data() + lastBlank + 1, line.data() + line.size(), length);
        if (cmd == "Status")
            node.units.front()->read(modeRegister);
        else if (cmd == "GetHistgram")
            node.units.front()->fetchHistogram(0, node.histogram.data());
        else if (cmd == "GetValues")
            node.values();
        length = std::min(length, BareNet::maxLineBytes / 2);
        answer.assign(line, gt + 1, blank - gt - 1).append(1, '>').append(line, 0, gt);
        answer.append(" @").append(cmd).append(1, ' ');
        if (cmd == "Status" || cmd == "GetHistgram" || cmd == "GetValues" || cmd == "GetMCAs")
            answer.append(length, '7');
        else
            answer.append("Ok:");
        answer.append(1, '\n');
        relay.send(answer);
        if (cmd == "GetMCAs") node.sendBlocks();
    }
}
