#pragma once

#include "BenchProcess.h"
#include "SoakClient.h"
#include "process/ReservedPort.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

class ZephraServerThread;

// A bounded soak run: mixed requests from two clients through the stand-in server to the
// real program, with unit faults switched on and off now and then; every request must be
// answered exactly once, and the program's resident memory is sampled. The processes it
// started end with it, whatever happened.
class Soak
{
public:
    Soak();
    ~Soak();

    // The emulator, the server, the program (under `wrapper` when given) and the consumer;
    // empty text when all are up and the program answers.
    QString setUp(const QStringList& wrapper);
    // True when every request was answered exactly once and the program exited normally on
    // SIGTERM.
    bool run();

    qint64 total = 100000;
    qint64 sampleEvery = 2000;
    qint64 warmUp = 20000;
    qint64 faultEvery = 2000;
    quint32 seed = 1;
    QTemporaryDir dir;

private:
    using Samples = std::vector<std::pair<qint64, qint64>>; // (requests, VmRSS kB)

    QString startUnits();
    QString startProgram(const QStringList& wrapper);
    void startConsumer();
    // Switches faults on and off as the count of requests passes their marks.
    QString switchFaults(qint64 done);
    void sample(qint64 done);
    void report(const QString& failure, int strays);
    bool endProgram();

    BenchChild units, tavik, consumer;
    std::unique_ptr<ZephraServerThread> server;
    SoakClient clients[2];
    QStringList unitIps;
    quint16 udpPort = 0, tcpPort = 0;
    ReservedPort linkPort; // the program's data link
    qint64 faultEnds = 0, faultsSwitched = 0, consumerRestarts = 0;
    int activeFault = -1;
    Samples samples;
    qint64 startMs = 0;
};
