#include "sim/server/ZephraServerThread.h"

ZephraServerThread::ZephraServerThread(const ServerConfig& config) : server(new ZephraServer(config))
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

ZephraServerThread::~ZephraServerThread()
{
    thread.quit();
    thread.wait();
}

QStringList ZephraServerThread::notes() const
{
    QMutexLocker lock(&mutex);
    return noteLines;
}

ServerConfig standInConfig(const QString& keyFile, int challenge, int loginTimeoutMs)
{
    ServerConfig c;
    c.port = 0;
    c.keyFile = keyFile;
    c.fixedChallenge = true;
    c.challenge = challenge;
    c.loginTimeoutMs = loginTimeoutMs;
    return c;
}
