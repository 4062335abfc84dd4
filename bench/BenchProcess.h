#pragma once

#include <QProcess>
#include <QStringList>

// A process that ends with the benchmark, even when that one is cut short.
class BenchChild : public QProcess
{
protected:
    void setupChildProcess() override;
};

// A process a benchmark starts and stops: the bare references, the units, the program.
class BenchProcess
{
public:
    static constexpr int waitMs = 60000;
    static constexpr int startUpWaitMs = 300000; // a program under a profiler starts slowly

    ~BenchProcess() { stop(); }

    // `wrap`, when given, is a command put before the program (a profiler, a tracer).
    void start(const QString& program, const QStringList& args, const QString& workDir = QString(),
               const QStringList& wrap = QStringList());
    // The first line of its output that starts with `prefix`; fails when none comes in time.
    QByteArray lineStartingWith(const QByteArray& prefix);
    // Asks it to end (SIGTERM), then kills it when it does not.
    void stop();
    qint64 pid() const { return process.processId(); }

private:
    BenchChild process;
};

// Pins the benchmark, and so what it starts, to one CPU as `taskset -c cpu` would, unless
// --unpinned is given (--cpu N chooses the CPU, 0 by default). Returns a line telling which.
QString pinFromArguments(const QStringList& args);

// A number after `name` in args, or fallback.
int intOption(const QStringList& args, const QString& name, int fallback);

// Resident memory of a process in KiB, from /proc; -1 when it cannot be read.
long residentKiB(qint64 pid);
