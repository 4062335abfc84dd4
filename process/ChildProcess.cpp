#include "process/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

void stopProcess(QProcess& process, int waitMs)
{
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(waitMs)) process.kill();
    process.waitForFinished(waitMs);
}

QString builtProgram(const QString& relative, const char* variable)
{
    const QString set = variable ? qEnvironmentVariable(variable) : QString();
    return set.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(relative) : set;
}
