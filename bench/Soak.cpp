#include "Soak.h"

#include "process/ChildProcess.h"
#include "sim/server/ZephraServerThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

namespace {
constexpr int waitMs = 10000;
constexpr int startWaitMs = 300000; // under valgrind the start-up takes long
constexpr int answerWaitMs = 60000; // a request over a silent unit waits for each register
constexpr int exitWaitMs = 300000;  // valgrind's leak search after the exit
constexpr int strayWaitMs = 1000;   // answers nobody asked for, after the last one
constexpr int retryMs = 200;        // until the program has logged in
constexpr int loginWaitMs = 600000; // the server waits this long for the program's log-in
const QByteArray key = "soak-key";
const QString unitsFirst = "127.0.44.2"; // dsp0, dsp1, then the HV unit
constexpr int elements = 7;              // dsp1 "1 1 1 1", dsp2 "1 0 1 1"

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

struct Request
{
    QByteArray to, body;
};

// One request of the mix. Requests that do not pick a unit by sub-address carry the tag
// "q<n>", so that an answer cannot be taken for another's.
Request nextRequest(QRandomGenerator& rng, qint64 n)
{
    const QByteArray tagged = "Tavik.q" + QByteArray::number(n);
    const QByteArray e = QByteArray::number(rng.bounded(elements));
    const QByteArray dsp = rng.bounded(2) ? "Tavik.dsp1" : "Tavik.dsp2";
    const int pick = rng.bounded(100);
    if (pick < 14) return {dsp, "Status Mode"};
    if (pick < 20) return {dsp, "Status CoarseGain " + QByteArray::number(rng.bounded(4))};
    if (pick < 26) return {dsp, "SetConfig Mode " + QByteArray::number(rng.bounded(8))};
    if (pick < 28) return {dsp, "GetMeasTimeInSec"};
    if (pick < 34) return {tagged, "GetHistgram " + e};
    if (pick < 42) return {tagged, "GetValue " + e};
    if (pick < 47) return {tagged, "GetROI " + e};
    if (pick < 51) return {tagged, "SetROI " + e + ' ' + QByteArray::number(rng.bounded(4096)) + " 2047"};
    if (pick < 56) return {tagged, rng.bounded(2) ? "GetRealTime" : "GetLiveTimes"};
    if (pick < 60) return {tagged, rng.bounded(2) ? "GetRealTimes" : "GetDeadTimes"};
    if (pick < 62) return {tagged, "GetValues"};
    if (pick < 67) return {tagged, "HVStat2"};
    if (pick < 72) return {tagged, "HVVol"};
    if (pick < 73) return {tagged, rng.bounded(2) ? "HVStart" : "HVStop"};
    if (pick < 77) return {tagged, "GetPresetType"};
    if (pick < 79) return {tagged, "SetPresetValue " + QByteArray::number(1 + rng.bounded(3))};
    if (pick < 81) return {tagged, "RunStart " + QByteArray::number(rng.bounded(1000))};
    if (pick < 82) return {tagged, "RunStop"};
    if (pick < 83) return {tagged, "GetMCAs"};
    if (pick < 90) return {tagged, "IsBusy"};
    if (pick < 92) return {tagged, "NoSuchWord " + e};
    return {tagged, "GetROIs"};
}

// A fault of the emulated units: switched on, and off again `span` requests later.
struct Fault
{
    QByteArray on, off;
    int span;
};

const std::vector<Fault> faults{
    {"fault 1 noanswer on", "fault 1 noanswer off", 20},
    {"fault 0 delay 700", "fault 0 delay 0", 20},
    {"fault 1 wrongaddress on", "fault 1 wrongaddress off", 20},
    {"fault 0 stray on", "fault 0 stray off", 200},
    {"fault 1 extra 6", "fault 1 extra 0", 20},
    {"fault 0 pieces 4096 30", "fault 0 pieces 0 0", 200},
    {"fault 1 cut 1000", "fault 1 cut -1", 20},
    {"closetcp 0", "closetcp 1", 1}, // both units drop their histogram connections
    {"fault 2 noanswer on", "fault 2 noanswer off", 50},
};

void stop(QProcess& p)
{
    stopProcess(p, waitMs);
}

// A command to the emulator; true when it took it.
bool tellUnits(QProcess& units, const QByteArray& line)
{
    units.write(line + '\n');
    while (!units.canReadLine())
        if (!units.waitForReadyRead(waitMs)) return false;
    return units.readLine().trimmed() == "ok";
}

// Least-squares slope of memory over requests, in bytes per request.
double growthPerRequest(const std::vector<std::pair<qint64, qint64>>& samples)
{
    const double n = double(samples.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto& [x, kb] : samples) {
        const double y = double(kb) * 1024;
        sx += double(x);
        sy += y;
        sxx += double(x) * double(x);
        sxy += double(x) * y;
    }
    const double d = n * sxx - sx * sx;
    return d > 0 ? (n * sxy - sx * sy) / d : 0;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// Whether the last turn, one request per client, passed a multiple of `every`.
bool passedMark(qint64 done, qint64 every)
{
    return (done - 2) / every != done / every;
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

Soak::Soak() = default;

Soak::~Soak()
{
    stop(tavik);
    stop(consumer);
    stop(units);
}

QString Soak::setUp(const QStringList& wrapper)
{
    if (!dir.isValid()) return "no work folder";
    QString error = startUnits();
    if (!error.isEmpty()) return error;
    if (!writeFile(dir.filePath("server.keys"), key + '\n') ||
        !writeFile(dir.filePath("Tavik.key"), key + '\n'))
        return "cannot write the keys";
    server = std::make_unique<ZephraServerThread>(standInConfig(dir.filePath("server.keys"), 0, loginWaitMs));
    if (!server->started) return "server: " + server->error;
    error = startProgram(wrapper);
    if (!error.isEmpty()) return error;
    startConsumer();
    if (!clients[0].logIn(server->port, "ctrl1", key) || !clients[1].logIn(server->port, "ctrl2", key))
        return "the clients cannot log in";
    QElapsedTimer startUp;
    startUp.start();
    // Retried only on the server's immediate "Unknown node" while the program logs in; a
    // program that is logged in but slow is waited for, or its late answer would come twice.
    for (clients[0].send("Tavik", "Hello"); !clients[0].awaitAnswer(startWaitMs);
         clients[0].send("Tavik", "Hello")) {
        if (startUp.hasExpired(startWaitMs)) return "the program does not answer: " + clients[0].problem;
        QThread::msleep(retryMs);
    }
    for (const char* request : {"SetPresetType REAL", "SetPresetValue 1"}) {
        clients[0].send("Tavik", request);
        if (!clients[0].awaitAnswer(answerWaitMs)) return clients[0].problem;
    }
    clients[0].problem.clear();
    clients[0].answered = clients[0].sent = 0;
    return QString();
}

QString Soak::startUnits()
{
    units.start(builtProgram("../sim/units/unit-emulator"),
                {"--dsp", "2", "--hv", "--first-address", unitsFirst});
    for (;;) {
        while (!units.canReadLine())
            if (!units.waitForReadyRead(waitMs)) return "the unit emulator does not start";
        const QList<QByteArray> w = units.readLine().simplified().split(' ');
        if (w.first() != "ready") {
            unitIps << QString::fromLatin1(w.value(1));
            continue;
        }
        udpPort = quint16(w.value(1).mid(4).toUInt());
        tcpPort = quint16(w.value(2).mid(4).toUInt());
        return unitIps.size() == 3 ? QString() : "the unit emulator started other units";
    }
}

QString Soak::startProgram(const QStringList& wrapper)
{
    const QString config =
        QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\nVEX_UDP_PORT %2\n"
                "VEX_TCP_PORT %3\nVEXDA dsp1 %4 1 1 1 1\nVEXDA dsp2 %5 1 0 1 1\nVEXHV hv %6\n"
                "DATA_LINK_CH_IP 127.0.0.1\nDATA_LINK_CH_PORT %7\n")
            .arg(server->port)
            .arg(udpPort)
            .arg(tcpPort)
            .arg(unitIps.value(0), unitIps.value(1), unitIps.value(2))
            .arg(linkPort.port());
    if (!writeFile(dir.filePath("config.cfg"), config.toLatin1())) return "cannot write config.cfg";
    QStringList line = wrapper;
    line << builtProgram("../tavik") << "-platform"
         << "offscreen"
         << "-e";
    tavik.setWorkingDirectory(dir.path());
    tavik.setStandardOutputFile(dir.filePath("tavik.out"));
    tavik.setStandardErrorFile(dir.filePath("tavik.out"));
    tavik.start(line.takeFirst(), line);
    return tavik.waitForStarted(waitMs) ? QString() : "the program does not start";
}

void Soak::startConsumer()
{
    consumer.setStandardOutputFile(QProcess::nullDevice());
    consumer.start(
        builtProgram("../sim/datalink/datalink-consumer"),
        {"--port", QString::number(linkPort.port()), "--blocks", QString::number(elements), "--no-save"});
}

QString Soak::switchFaults(qint64 done)
{
    if (activeFault >= 0 && done >= faultEnds) {
        if (!tellUnits(units, faults[size_t(activeFault)].off)) return "the emulator refused a fault switch";
        activeFault = -1;
    }
    if (faultEvery <= 0 || activeFault >= 0 || done == 0 || !passedMark(done, faultEvery)) return QString();
    activeFault = int(faultsSwitched++ % qint64(faults.size()));
    faultEnds = done + faults[size_t(activeFault)].span;
    if (!tellUnits(units, faults[size_t(activeFault)].on)) return "the emulator refused a fault switch";
    // The consumer leaves and comes back now and then as well.
    if (faultsSwitched % 5 == 0) {
        stop(consumer);
        startConsumer();
        ++consumerRestarts;
    }
    return QString();
}

void Soak::sample(qint64 done)
{
    const qint64 kb = residentKiB(tavik.processId());
    samples.emplace_back(done, kb);
    out() << QString("%1 %2 %3\n").arg(done, 9).arg(kb, 9).arg((nowMs() - startMs) / 1000.0, 9, 'f', 1);
    out().flush();
}

bool Soak::run()
{
    out() << QString("soak: %1 requests from 2 clients, memory every %2, growth after %3, program pid %4\n")
                 .arg(total)
                 .arg(sampleEvery)
                 .arg(warmUp)
                 .arg(tavik.processId());
    out() << QString("%1 %2 %3\n").arg("requests", 9).arg("VmRSS kB", 9).arg("elapsed s", 9);
    startMs = nowMs();
    QRandomGenerator rng(seed);
    QString failure;
    qint64 done = 0;
    sample(done);
    while (done < total && failure.isEmpty()) {
        failure = switchFaults(done);
        for (SoakClient& c : clients) {
            const Request r = nextRequest(rng, done++);
            c.send(r.to, r.body);
        }
        for (SoakClient& c : clients)
            if (!c.awaitAnswer(answerWaitMs) && failure.isEmpty()) failure = c.problem;
        if (tavik.state() != QProcess::Running) failure = "the program has ended";
        if (passedMark(done, sampleEvery)) sample(done);
    }
    if (activeFault >= 0) tellUnits(units, faults[size_t(activeFault)].off);
    int strays = 0;
    for (SoakClient& c : clients)
        strays += c.strayAnswersWithin(strayWaitMs);
    report(failure, strays);
    const bool ended = endProgram();
    return failure.isEmpty() && strays == 0 && ended;
}

void Soak::report(const QString& failure, int strays)
{
    const qint64 sent = clients[0].sent + clients[1].sent;
    out() << QString(
                 "requests %1, answered exactly once %2, stray answers %3, events %4, faults switched %5, "
                 "consumer restarts %6, %7 s\n")
                 .arg(sent)
                 .arg(clients[0].answered + clients[1].answered)
                 .arg(strays)
                 .arg(clients[0].events + clients[1].events)
                 .arg(faultsSwitched)
                 .arg(consumerRestarts)
                 .arg((nowMs() - startMs) / 1000.0, 0, 'f', 1);
    Samples afterWarmUp;
    for (const auto& s : samples)
        if (s.first >= warmUp) afterWarmUp.push_back(s);
    if (afterWarmUp.size() >= 2)
        out() << QString("VmRSS after warm-up: %1 kB at %2 to %3 kB at %4; growth %5 bytes per request "
                         "(least squares over %6 samples)\n")
                     .arg(afterWarmUp.front().second)
                     .arg(afterWarmUp.front().first)
                     .arg(afterWarmUp.back().second)
                     .arg(afterWarmUp.back().first)
                     .arg(growthPerRequest(afterWarmUp), 0, 'f', 1)
                     .arg(afterWarmUp.size());
    if (!failure.isEmpty()) out() << "FAILED: " << failure << '\n';
    out().flush();
}

// SIGTERM: the program is to quit its event loop and exit normally.
bool Soak::endProgram()
{
    tavik.terminate();
    const bool ended = tavik.waitForFinished(exitWaitMs);
    const bool normal = ended && tavik.exitStatus() == QProcess::NormalExit;
    out() << QString("program after SIGTERM: %1, exit code %2\n")
                 .arg(!ended   ? "still running"
                      : normal ? "normal exit"
                               : "crashed")
                 .arg(tavik.exitCode());
    out().flush();
    return normal && tavik.exitCode() == 0;
}
