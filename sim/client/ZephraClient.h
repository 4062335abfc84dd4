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
    // One step at a time: each request waits for its answer before the next goes out, and a
    // step "wait TEXT" waits for an event whose body starts with "_TEXT" (one that came since
    // the last request was sent counts). The wait time applies to each step.
    bool script = false;
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

Q_SIGNALS:
    void received(const QByteArray& line); // without its line feed
    void sent(const QByteArray& body);     // script mode: each request as it goes out
    void status(const QString& text);
    void finished(int result);

private:
    enum Phase { AwaitChallenge, AwaitVerdict, LoggedIn, Over };

    void readLines();
    void onLine(const QByteArray& line);
    void finish(int result, const QString& why);
    void nextStep();
    bool eventSeen(const QByteArray& step) const;

    ClientConfig config;
    QTcpSocket* socket;
    QTimer* deadline;
    QList<QByteArray> keys;
    Phase phase = AwaitChallenge;
    int answers = 0;
    int step = 0;                   // script mode: the step under way
    QList<QByteArray> recentEvents; // script mode: event bodies since the last request
};
