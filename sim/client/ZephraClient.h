#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class QTcpSocket;
class QTimer;

struct ClientConfig
{
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 6057;
    QByteArray name = "ctrl1";
    QString keyFile = QStringLiteral("zephra.keys");
    QByteArray to = "Tavik";
    QList<QByteArray> requests; // bodies, each sent as "name>to body"
    int waitMs = 3000;
};

// A client of the message server for people and tests: logs in, sends its requests, and
// reports every line it receives until each request has an answer or the wait is over.
class ZephraClient : public QObject
{
    Q_OBJECT
public:
    enum Result { AllAnswered = 0, Failed = 1, TimedOut = 3 };

    explicit ZephraClient(const ClientConfig& config, QObject* parent = nullptr);

    void start();
    static int keyIndexFor(int challenge, int count);

signals:
    void received(const QByteArray& line); // without its line feed
    void status(const QString& text);
    void finished(int result);

private:
    enum Phase { AwaitChallenge, AwaitVerdict, LoggedIn, Over };

    void readLines();
    void onLine(const QByteArray& line);
    void finish(int result, const QString& why);

    ClientConfig config;
    QTcpSocket* socket;
    QTimer* deadline;
    QList<QByteArray> keys;
    Phase phase = AwaitChallenge;
    int answers = 0;
};
