#pragma once

#include <QString>

class QProcess;

// Ends a program that a test or a benchmark started: asked to end (SIGTERM) first, killed
// when it has not ended within waitMs.
void stopProcess(QProcess& process, int waitMs = 5000);

// A program of this build: the path in the environment variable, when one is named and set
// (CTest sets them), else `relative` to the folder of the running executable.
QString builtProgram(const QString& relative, const char* variable = nullptr);
