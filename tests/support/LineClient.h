#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTcpSocket>
#include <QTest>

// A raw line client for tests. It waits by running the event loop, so objects of the
// test's own thread (a Zephra widget) keep working meanwhile.
class LineClient
{
public:
    static constexpr int waitMs = 5000;

    bool open(quint16 port)
    {
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        return QTest::qWaitFor([this]() { return socket.state() == QAbstractSocket::ConnectedState; },
                               waitMs);
    }
    // The next line with its line end; empty when none arrived in time.
    QByteArray readLine(int timeoutMs = waitMs)
    {
        return QTest::qWaitFor([this]() { return socket.canReadLine(); }, timeoutMs) ? socket.readLine()
                                                                                     : QByteArray();
    }
    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // Reads the challenge and answers it; true when the server accepted.
    bool logIn(const QByteArray& name, const QByteArray& key)
    {
        if (readLine().isEmpty()) return false;
        send(name + ' ' + key + '\n');
        return readLine().startsWith("System>" + name + " Ok:");
    }
    bool closedByPeer()
    {
        return QTest::qWaitFor([this]() { return socket.state() == QAbstractSocket::UnconnectedState; },
                               waitMs);
    }

    QTcpSocket socket;
};

inline bool writeTextFile(const QString& name, const QByteArray& content)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}
