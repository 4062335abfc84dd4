#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class QTimer;

// What the stand-in server is told on its command line.
struct ServerConfig
{
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 6057;
    QString keyFile = QStringLiteral("zephra.keys");
    bool fixedChallenge = false;
    int challenge = 0;
    int loginTimeoutMs = 10000;
};

// A stand-in for the message server, built from what its clients expect of it:
//
//   on connect      server sends a challenge number n and a LF
//   first line      client sends "name key"; key must equal keys[n mod count] (remainder >= 0)
//   accepted        "System>name Ok: welcome", then lines are relayed
//   refused         "System>name Er: <reason>", then the connection is closed
//   "a>b.s body"    goes unchanged to the client logged in as b
//   "a>System ..."  goes unchanged to every other logged-in client (events)
//
// A request for a node nobody is logged in as is answered "System>a @cmd Er: Unknown node [b]";
// answers and events for such a node are dropped. A second log-in under a taken name is
// refused and the first keeps its name. Lines whose sender node is not the sender's name,
// and lines without a head or body, are dropped.
class ZephraServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int maxLineBytes = 64 * 1024;

    explicit ZephraServer(const ServerConfig& config, QObject* parent = nullptr);
    ~ZephraServer() override;

    // Reads the key file and starts listening; false with `error` set when either fails.
    bool start(QString* error);
    QHostAddress address() const;
    quint16 port() const;

    static int keyIndexFor(int challenge, int count);

Q_SIGNALS:
    void note(const QString& text); // one line of the verbose log

private:
    struct Peer
    {
        QByteArray name;
        int challenge = 0;
        bool loggedIn = false;
        QTimer* loginTimer = nullptr;
    };

    void accept();
    void readFrom(QTcpSocket* socket);
    void logIn(QTcpSocket* socket, const QByteArray& reply);
    void relay(QTcpSocket* socket, const QByteArray& raw);
    void refuse(QTcpSocket* socket, const QByteArray& name, const QByteArray& reason);
    void forget(QTcpSocket* socket);
    static void sendTo(QTcpSocket* socket, const QByteArray& line);

    ServerConfig config;
    QTcpServer* server;
    QList<QByteArray> keys;
    QHash<QTcpSocket*, Peer> peers;
    QHash<QByteArray, QTcpSocket*> byName;
};
