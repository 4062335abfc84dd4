#include "BareUnit.h"
#include "BenchTimer.h"
#include "EchoNode.h"
#include "StandInServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

// Requests through the stand-in server to the real program, each beside the bare message
// round trip plus the bare unit exchanges that request needs, measured in the same run.
// The units are emulated by the emulator program, so that the program and the bare
// sockets both reach them across processes, as they would reach real units.
namespace {
constexpr int dspUnits = 16;
constexpr int firstBareUnit = dspUnits; // as many units again for the bare exchanges
constexpr int waitMs = 5000;
const QByteArray key = "bench-key";

// A client of the message server on this thread, waiting without an event loop.
struct Client
{
    QTcpSocket socket;
    QByteArray name;

    QByteArray line()
    {
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(waitMs)) qFatal("no line from the server");
        return socket.readLine();
    }

    bool logIn(quint16 port, const QByteArray& as)
    {
        name = as;
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        if (!socket.waitForConnected(waitMs)) return false;
        line();
        socket.write(name + ' ' + key + '\n');
        return line().startsWith("System>" + name + " Ok:");
    }

    // Sends one request and returns its answer line, skipping events.
    QByteArray ask(const QByteArray& to, const QByteArray& body)
    {
        socket.write(name + '>' + to + ' ' + body + '\n');
        socket.flush();
        for (;;) {
            QByteArray l = line();
            if (!l.contains(">System ")) return l;
        }
    }
};

struct Emulator
{
    QStringList addresses;
    quint16 udpPort = 0;
    quint16 tcpPort = 0;
};

// "dsp0 127.0.42.2" ... then "ready udp=P tcp=Q".
Emulator readEmulatorLines(QProcess& units)
{
    Emulator emu;
    for (;;) {
        while (!units.canReadLine())
            if (!units.waitForReadyRead(waitMs)) qFatal("the unit emulator did not start");
        const QList<QByteArray> words = units.readLine().simplified().split(' ');
        if (words.first() == "ready") {
            emu.udpPort = quint16(words.value(1).mid(4).toUInt());
            emu.tcpPort = quint16(words.value(2).mid(4).toUInt());
            return emu;
        }
        emu.addresses << QString::fromLatin1(words.value(1));
    }
}

void stop(QProcess& p)
{
    p.terminate();
    if (!p.waitForFinished(waitMs)) p.kill();
    p.waitForFinished(waitMs);
}
} // namespace

// The echo node runs as a process of its own, started from this program, so that the bare
// message crosses processes as often as a request to the program does.
int runEchoNode(quint16 serverPort)
{
    EchoNode node(serverPort, "echo", key);
    QObject::connect(&node, &EchoNode::loggedIn, [] { QTextStream(stdout) << "ready" << Qt::endl; });
    node.start();
    return QCoreApplication::exec();
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == "--echo-node")
        return runEchoNode(quint16(app.arguments().value(2).toUInt()));
    const QString tavikExe = QDir(QCoreApplication::applicationDirPath()).filePath("../tavik");

    QProcess units;
    units.start(QDir(QCoreApplication::applicationDirPath()).filePath("../sim/units/unit-emulator"),
                {"--dsp", QString::number(2 * dspUnits), "--first-address", "127.0.42.2"});
    const Emulator emu = readEmulatorLines(units);

    QTemporaryDir dir;
    auto writeFile = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(content);
    };
    writeFile("server.keys", key + '\n');
    writeFile("Tavik.key", key + '\n');
    StandInServer server(standInConfig(dir.filePath("server.keys"), 0));
    if (!server.started) qFatal("%s", qPrintable(server.error));
    QByteArray config = QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\n"
                                "VEX_UDP_PORT %2\nVEX_TCP_PORT %3\n")
                            .arg(server.port)
                            .arg(emu.udpPort)
                            .arg(emu.tcpPort)
                            .toLatin1();
    for (int u = 0; u < dspUnits; ++u)
        config += QString("VEXDA dsp%1 %2 1 1 1 1\n").arg(u + 1).arg(emu.addresses.at(u)).toLatin1();
    writeFile("config.cfg", config);

    QProcess echo;
    echo.start(QCoreApplication::applicationFilePath(), {"--echo-node", QString::number(server.port)});
    const bool echoReady = echo.waitForReadyRead(waitMs) && echo.readLine().startsWith("ready");
    QProcess tavik;
    tavik.setWorkingDirectory(dir.path());
    tavik.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tavik.start(tavikExe, {"-platform", "offscreen", "-e"});
    Client client;
    if (!echoReady || !tavik.waitForStarted(waitMs) || !client.logIn(server.port, "bench"))
        qFatal("set-up failed");
    for (int i = 0; !client.ask("Tavik", "Hello").contains("@Hello Hello!"); ++i) {
        if (i > 100) qFatal("the program did not log in");
        QThread::msleep(100);
    }

    // The bare side spreads its exchanges over its own units as the program does over its units.
    std::vector<std::unique_ptr<BareUnit>> bareUnits;
    for (int u = 0; u < dspUnits; ++u) {
        auto bare = std::make_unique<BareUnit>();
        bare->address = QHostAddress(emu.addresses.at(firstBareUnit + u));
        bare->port = emu.udpPort;
        bare->tcp.connectToHost(bare->address, emu.tcpPort);
        if (!bare->tcp.waitForConnected(waitMs)) qFatal("no bare TCP connection");
        bareUnits.push_back(std::move(bare));
    }
    BareUnit& bare = *bareUnits.front();
    client.ask("Tavik", "GetValues"); // every unit has sent a histogram once

    QTextStream(stdout) << QString(
                               "Requests to tavik over %1 emulated units x 4 channels; median per request\n")
                               .arg(dspUnits);
    auto bareMessage = [&] { client.ask("echo", "Ping"); };
    BenchPair status(9, 200);
    status.run(
        "Status Mode", [&] { client.ask("Tavik.dsp1", "Status Mode"); },
        [&] {
            bareMessage();
            bare.read();
        });
    BenchPair histogram(9, 60);
    histogram.run(
        "GetHistgram 0", [&] { client.ask("Tavik", "GetHistgram 0"); },
        [&] {
            bareMessage();
            bare.fetchHistogram(0);
        });
    BenchPair values(5, 3);
    values.run(
        "GetValues", [&] { client.ask("Tavik", "GetValues"); },
        [&] {
            bareMessage();
            for (auto& unit : bareUnits)
                for (int i = 0; i < 13; ++i)
                    unit->read();
            for (auto& unit : bareUnits)
                for (int ch = 0; ch < 4; ++ch) {
                    unit->fetchHistogram(ch);
                    unit->read();
                    unit->read();
                }
        });
    QTextStream(stdout) << "For scale: a bare round trip whose answer is as long as GetHistgram's\n";
    const QByteArray histogramAnswer = client.ask("Tavik", "GetHistgram 0");
    const QByteArray fill = "Fill " + QByteArray::number(histogramAnswer.size() - 27);
    BenchPair scale(9, 60);
    scale.run(
        "long answer", [&] { client.ask("echo", fill); }, bareMessage);
    stop(tavik);
    stop(units);
    stop(echo);
    return 0;
}
