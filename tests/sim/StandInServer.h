#pragma once

#include "ZephraServer.h"

#include <QMutex>
#include <QStringList>
#include <QThread>

// The stand-in message server on a thread of its own, listening on a free loopback port.
class StandInServer
{
public:
    explicit StandInServer(ServerConfig config) : server(new ZephraServer(config))
    {
        server->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, server, &QObject::deleteLater);
        const auto keep = [this](const QString& text) {
            QMutexLocker lock(&mutex);
            noteLines << text;
        };
        QObject::connect(server, &ZephraServer::note, server, keep, Qt::DirectConnection);
        thread.start();
        const auto start = [this]() {
            started = server->start(&error);
            port = server->port();
        };
        QMetaObject::invokeMethod(server, start, Qt::BlockingQueuedConnection);
    }

    ~StandInServer()
    {
        thread.quit();
        thread.wait();
    }

    QStringList notes() const
    {
        QMutexLocker lock(&mutex);
        return noteLines;
    }

    bool started = false;
    QString error;
    quint16 port = 0;

private:
    QThread thread;
    ZephraServer* server;
    mutable QMutex mutex;
    QStringList noteLines;
};

inline ServerConfig standInConfig(const QString& keyFile, int challenge, int loginTimeoutMs = 10000)
{
    ServerConfig c;
    c.port = 0;
    c.keyFile = keyFile;
    c.fixedChallenge = true;
    c.challenge = challenge;
    c.loginTimeoutMs = loginTimeoutMs;
    return c;
}
