#include "BenchProcess.h"

#include "bare/BareNet.h"
#include "process/ChildProcess.h"

#include <QDeadlineTimer>
#include <QFile>

#include <csignal>
#include <sys/prctl.h>

void BenchChild::setupChildProcess()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void BenchProcess::start(const QString& program, const QStringList& args, const QString& workDir,
                         const QStringList& wrap)
{
    if (!workDir.isEmpty()) process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (wrap.isEmpty())
        process.start(program, args);
    else
        process.start(wrap.first(), wrap.mid(1) + QStringList{program} + args);
    if (!process.waitForStarted(waitMs)) qFatal("cannot start %s", qPrintable(program));
}

QByteArray BenchProcess::lineStartingWith(const QByteArray& prefix)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(prefix)) return line;
        }
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            qFatal("no line starting with \"%s\" from %s", prefix.constData(), qPrintable(process.program()));
    }
}

void BenchProcess::stop()
{
    stopProcess(process, waitMs);
}

QString pinFromArguments(const QStringList& args)
{
    if (args.contains("--unpinned")) return "unpinned";
    const int cpu = intOption(args, "--cpu", 0);
    BareNet::pinToCpu(cpu);
    return QString("pinned to CPU %1 (as taskset -c %1)").arg(cpu);
}

int intOption(const QStringList& args, const QString& name, int fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

long residentKiB(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
