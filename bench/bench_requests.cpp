#include "BenchProcess.h"
#include "BenchTimer.h"
#include "bare/BareNet.h"
#include "bare/RelayClient.h"
#include "process/ChildProcess.h"
#include "process/ReservedPort.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <vector>

// Requests to the real program beside the bare node doing the same unit exchanges, both
// through the same bare relay and the same bare units, each in a process of its own.
namespace {
int dspUnits = 16; // --units
constexpr int channelsPerUnit = 4;
int blocks = dspUnits * channelsPerUnit;
constexpr std::size_t blockBytes = 16432;
const QString firstTavikUnit = "127.0.50.2";
constexpr int helloPollMs = 1;

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

// The bare node's own units follow the program's.
QString firstBareUnit()
{
    return QString::fromStdString(
        BareNet::addressText(BareNet::loopback(firstTavikUnit.toStdString()) + quint32(dspUnits)));
}

struct Installation
{
    BenchProcess relay, units;
    qint64 tavikPid = 0;
    quint16 relayPort = 0, udpPort = 0, tcpPort = 0;
    ReservedPort dataLink; // held while the program listens there
    QTemporaryDir dir;

    void start()
    {
        relay.start(builtProgram("bare/bare-relay"), {});
        relayPort = quint16(relay.lineStartingWith("listening").split(' ').value(1).toUInt());
        units.start(builtProgram("bare/bare-units"),
                    {"--units", QString::number(2 * dspUnits), "--first-address", firstTavikUnit});
        const QList<QByteArray> ready = units.lineStartingWith("ready").split(' ');
        udpPort = quint16(ready.value(1).mid(4).toUInt());
        tcpPort = quint16(ready.value(2).mid(4).toUInt());
    }

    // The program's folder with its configuration and key file; returns its data-link port.
    quint16 writeConfig(const QString& name)
    {
        const quint16 dataLinkPort = dataLink.port();
        QByteArray config = QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\n"
                                    "NAME_ON_ZEPHRA %2\nVEX_UDP_PORT %3\nVEX_TCP_PORT %4\n"
                                    "DATA_LINK_CH_IP 127.0.0.1\nDATA_LINK_CH_PORT %5\n")
                                .arg(relayPort)
                                .arg(name)
                                .arg(udpPort)
                                .arg(tcpPort)
                                .arg(dataLinkPort)
                                .toLatin1();
        const quint32 first = BareNet::loopback(firstTavikUnit.toStdString());
        for (int u = 0; u < dspUnits; ++u)
            config += QString("VEXDA dsp%1 %2 1 1 1 1\n")
                          .arg(u + 1)
                          .arg(QString::fromStdString(BareNet::addressText(first + quint32(u))))
                          .toLatin1();
        QFile file(dir.filePath("config.cfg"));
        QFile key(dir.filePath("Tavik.key"));
        if (!file.open(QIODevice::WriteOnly) || !key.open(QIODevice::WriteOnly))
            qFatal("cannot write the config");
        file.write(config);
        key.write("bench-key\n");
        return dataLinkPort;
    }

    QString tavikExe = builtProgram("../tavik");

    void startTavik(BenchProcess& tavik, const QStringList& wrap = {})
    {
        tavik.start(tavikExe, {"-platform", "offscreen", "-e"}, dir.path(), wrap);
    }

    void startBareNode(BenchProcess& node, const QString& name, bool startUp)
    {
        QStringList args{"--relay-port",    QString::number(relayPort),
                         "--name",          name,
                         "--first-address", firstBareUnit(),
                         "--units",         QString::number(dspUnits),
                         "--udp-port",      QString::number(udpPort),
                         "--tcp-port",      QString::number(tcpPort)};
        if (startUp) args << "--startup";
        node.start(builtProgram("bare/bare-node"), args);
    }
};

// Asks `to` Hello until it answers; the node may not be logged in yet. The Hellos it
// answers late are read off up to the answer to one more, sent under a sub-name of its own.
void waitForHello(RelayClient& client, const std::string& to)
{
    const QDeadlineTimer deadline(BenchProcess::startUpWaitMs);
    for (bool answered = false; !answered;) {
        if (deadline.hasExpired()) qFatal("%s did not answer Hello", to.c_str());
        client.send(client.name() + '>' + to + " Hello\n");
        while (const std::string* line = client.nextWithin(helloPollMs))
            answered = answered || line->find(" @Hello") != std::string::npos;
    }
    const std::string last = to + ".last>";
    client.send(client.name() + '>' + to + ".last Hello\n");
    while (client.next().rfind(last, 0) != 0) {
    }
}

// The consumer of a data link: reads one transfer of `blocks` blocks and acknowledges it.
struct Consumer
{
    int fd;
    std::vector<char> bytes = std::vector<char>(blocks * blockBytes);
    explicit Consumer(quint16 port) : fd(BareNet::tcpConnected(BareNet::loopback("127.0.0.1"), port)) {}
    void take()
    {
        BareNet::readAll(fd, bytes.data(), bytes.size());
        BareNet::writeAll(fd, "Ack", 3);
    }
};

// The answer of the bare node has as many bytes as the program's, "@cmd " included.
std::string bareRequest(const std::string& cmd, const std::string& tavikAnswer)
{
    const std::size_t at = tavikAnswer.find(" @" + cmd + ' ');
    const std::size_t text = at == std::string::npos ? 3 : tavikAnswer.size() - (at + cmd.size() + 3);
    return cmd + ' ' + std::to_string(text);
}

bool wanted(const QStringList& args, const QString& figure)
{
    const int at = args.indexOf("--only");
    return at < 0 || at + 1 >= args.size() || args.at(at + 1).split(',').contains(figure);
}

void benchStartUp(Installation& inst, int rounds)
{
    inst.writeConfig("TavikS");
    // From the start of the process to its first answer; stopping it is not timed.
    BenchPair startUp(rounds, 1);
    startUp.runTimed(
        QString("start-up to the first answer, %1 units").arg(dspUnits),
        [&] {
            RelayClient client(inst.relayPort, "benchS");
            BenchProcess tavik;
            QElapsedTimer t;
            t.start();
            inst.startTavik(tavik);
            waitForHello(client, "TavikS");
            return double(t.nsecsElapsed()) / 1000.0;
        },
        [&] {
            RelayClient client(inst.relayPort, "benchS");
            BenchProcess node;
            QElapsedTimer t;
            t.start();
            inst.startBareNode(node, "bareS", true);
            waitForHello(client, "bareS");
            return double(t.nsecsElapsed()) / 1000.0;
        });
}

// A fixed run of one request without timing, for a profiler or tracer put before the program.
int profileRun(Installation& inst, const QStringList& args, RelayClient& client, Consumer& consumer)
{
    const QStringList kind = args.at(args.indexOf("--run") + 1).split(':');
    const int count = kind.value(1).toInt();
    if (args.contains("--hold")) { // a profiler may be switched on meanwhile
        out() << "holding pid=" << inst.tavikPid << Qt::endl;
        QTextStream(stdin).readLine();
    }
    for (int i = 0; i < count; ++i) {
        if (kind.first() == "status") client.ask("Tavik.dsp1", "Status Mode");
        if (kind.first() == "histogram") client.ask("Tavik", "GetHistgram 0");
        if (kind.first() == "values") client.ask("Tavik", "GetValues");
        if (kind.first() == "datalink") {
            client.ask("Tavik", "GetMCAs");
            consumer.take();
        }
    }
    out() << "ran " << count << ' ' << kind.first() << Qt::endl;
    return 0;
}

// One request of a mix that visits every request path the benchmark knows.
std::pair<std::string, std::string> mixed(int i)
{
    const std::string e = std::to_string(i % blocks);
    switch (i % 10) {
    case 0:
        return {"Tavik", i % 100 == 0 ? "GetValues" : "GetHistgram " + e};
    case 1:
        return {"Tavik", "GetRealTimes"};
    case 2:
        return {"Tavik", "GetLiveTimes"};
    case 3:
        return {"Tavik", "SetROI " + e + " 100 " + std::to_string(200 + i % 1000)};
    case 4:
        return {"Tavik", "GetROIs"};
    default:
        return {"Tavik.dsp" + std::to_string(1 + i % dspUnits), "Status CoarseGain " + std::to_string(i % 4)};
    }
}

void benchMemory(RelayClient& client, qint64 tavikPid, qint64 nodePid, int requests)
{
    const long tavikBefore = residentKiB(tavikPid), bareBefore = residentKiB(nodePid);
    for (int i = 0; i < requests; ++i) {
        const auto [to, body] = mixed(i);
        client.ask(to, body);
        client.ask("bare", body.substr(0, body.find(' ')));
    }
    const long tavikAfter = residentKiB(tavikPid), bareAfter = residentKiB(nodePid);
    out() << QString("%1: %2 -> %3 KiB (%4), bare node %5 -> %6 KiB, ratio after %7\n")
                 .arg(QString("resident memory, %1 mixed requests").arg(requests), -34)
                 .arg(tavikBefore)
                 .arg(tavikAfter)
                 .arg(tavikAfter - tavikBefore >= 0 ? QString("+%1").arg(tavikAfter - tavikBefore)
                                                    : QString::number(tavikAfter - tavikBefore))
                 .arg(bareBefore)
                 .arg(bareAfter)
                 .arg(double(tavikAfter) / double(bareAfter), 0, 'f', 1);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString pinning = pinFromArguments(args);
    const int rounds = intOption(args, "--rounds", 9);
    dspUnits = qMax(1, intOption(args, "--units", dspUnits));
    blocks = dspUnits * channelsPerUnit;

    Installation inst;
    if (args.contains("--tavik")) inst.tavikExe = args.value(args.indexOf("--tavik") + 1); // another build
    inst.start();
    if (!args.contains("--run") && wanted(args, "startup"))
        benchStartUp(inst, intOption(args, "--startup-rounds", 5));

    const quint16 dataLinkPort = inst.writeConfig("Tavik");
    BenchProcess tavik, node;
    const int wrapAt = args.indexOf("--wrap");
    inst.startTavik(tavik,
                    wrapAt >= 0 ? args.value(wrapAt + 1).split(' ', Qt::SkipEmptyParts) : QStringList());
    inst.startBareNode(node, "bare", false);
    const quint16 bareDataLinkPort = quint16(node.lineStartingWith("ready").split('=').value(1).toUInt());
    inst.tavikPid = tavik.pid();
    RelayClient client(inst.relayPort, "bench");
    waitForHello(client, "Tavik");
    waitForHello(client, "bare");
    Consumer consumer(dataLinkPort), bareConsumer(bareDataLinkPort);
    client.ask("Tavik", "GetValues"); // every unit has sent a histogram once
    if (args.contains("--run")) return profileRun(inst, args, client, consumer);

    out() << QString(
                 "Requests to tavik over %1 bare units x %2 channels, %3; median of %4 rounds per request\n")
                 .arg(dspUnits)
                 .arg(channelsPerUnit)
                 .arg(pinning)
                 .arg(rounds)
          << Qt::flush;
    if (wanted(args, "status")) {
        const std::string bare = bareRequest("Status", client.ask("Tavik.dsp1", "Status Mode"));
        BenchPair(rounds, 200)
            .run(
                "Status Mode", [&] { client.ask("Tavik.dsp1", "Status Mode"); },
                [&] { client.ask("bare", bare); });
    }
    if (wanted(args, "histogram")) {
        const std::string bare = bareRequest("GetHistgram", client.ask("Tavik", "GetHistgram 0"));
        BenchPair(rounds, 60)
            .run(
                "GetHistgram 0", [&] { client.ask("Tavik", "GetHistgram 0"); },
                [&] { client.ask("bare", bare); });
    }
    if (wanted(args, "values")) {
        const std::string bare = bareRequest("GetValues", client.ask("Tavik", "GetValues"));
        if (args.contains("--show"))
            out() << QString::fromStdString(client.ask("Tavik", "GetValues")).left(300) << Qt::endl;
        BenchPair(rounds, 3).run(
            QString("GetValues, %1 units x %2").arg(dspUnits).arg(channelsPerUnit),
            [&] { client.ask("Tavik", "GetValues"); }, [&] { client.ask("bare", bare); });
    }
    if (wanted(args, "datalink")) {
        BenchPair(rounds, 10)
            .run(
                QString("data link, %1 blocks acknowledged").arg(blocks),
                [&] {
                    client.ask("Tavik", "GetMCAs");
                    consumer.take();
                },
                [&] {
                    client.ask("bare", "GetMCAs 3");
                    bareConsumer.take();
                });
    }
    if (wanted(args, "memory"))
        benchMemory(client, tavik.pid(), node.pid(), intOption(args, "--requests", 100000));
    return 0;
}
