#pragma once

#include "sim/server/ZephraServer.h"

#include <QMutex>
#include <QStringList>
#include <QThread>

// The stand-in message server on a thread of its own, for tests and the soak run: whatever
// the caller's thread does (a wait inside a request included), the server keeps relaying.
class ZephraServerThread
{
public:
    explicit ZephraServerThread(const ServerConfig& config);
    ~ZephraServerThread(); // stops the server and joins the thread
    ZephraServerThread(const ZephraServerThread&) = delete;
    ZephraServerThread& operator=(const ZephraServerThread&) = delete;

    // The verbose log so far.
    QStringList notes() const;

    bool started = false;
    QString error;
    quint16 port = 0;

private:
    QThread thread;
    ZephraServer* server;
    mutable QMutex mutex;
    QStringList noteLines;
};

// On a free loopback port, with a fixed challenge.
ServerConfig standInConfig(const QString& keyFile, int challenge, int loginTimeoutMs = 10000);
