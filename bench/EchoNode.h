#pragma once

#include <QObject>
#include <QThread>

class QTcpSocket;

// A client of the message server that answers every request at once with "Ok:": the bare
// message round trip that a request to the program is compared with.
class EchoNode : public QObject
{
    Q_OBJECT
public:
    EchoNode(quint16 serverPort, const QByteArray& name, const QByteArray& key);
    void start();

signals:
    void loggedIn();

private:
    void readLines();

    QTcpSocket* socket;
    quint16 serverPort;
    QByteArray name;
    QByteArray key;
    bool challenged = false;
};

// Runs an EchoNode on a thread of its own; returns once it is logged in.
class EchoThread
{
public:
    EchoThread(quint16 serverPort, const QByteArray& name, const QByteArray& key);
    ~EchoThread();
    bool ready() const { return isReady; }

private:
    QThread thread;
    bool isReady = false;
};
