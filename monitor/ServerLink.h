#pragma once

#include "zephra/AMsg.h"
#include "zephra/LineBuffer.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>

class QTcpSocket;
class QTimer;

// The monitor's own client of the message server: connects, logs in with a key from its
// key file, sends requests, matches each answer to the oldest request of its command word,
// passes events on, and connects again on its own after any loss, waiting longer each time.
class ServerLink : public QObject
{
    Q_OBJECT
public:
    enum State { Down, Connecting, LoggingIn, Ready };
    static constexpr int firstRetryMs = 1000;
    static constexpr int lastRetryMs = 10000;
    static constexpr int logInWaitMs = 10000; // to connect, then from the connection to the acceptance
    static constexpr int answerWaitMs = 10000;
    static constexpr int maxPending = 64;

    explicit ServerLink(QObject* parent = nullptr);

    void setPeer(const QString& host, quint16 port, const QString& name, const QString& keyFile);
    void start();
    State state() const { return current; }
    QString host() const { return serverHost; }
    quint16 port() const { return serverPort; }
    QString name() const { return ownName; }
    int retryMs() const { return nextRetryMs; }

    // False when not logged in or too many requests wait for their answers.
    bool ask(const QString& node, const QString& cmd, const QString& params = QString());

Q_SIGNALS:
    void stateChanged(int state, const QString& why);
    void answered(const AMsg& answer);
    void askTimedOut(const QString& cmd);
    void eventReceived(const AMsg& event);
    void traffic(const QString& line, bool sent);

private:
    struct Pending
    {
        QString cmd;
        QDeadlineTimer deadline;
    };

    void connectNow();
    void receive();
    void take(const QString& line);
    void sendKey(const QString& challenge);
    void lost(const QString& why);
    void setState(State state, const QString& why = QString());
    void expireAsks();

    QTcpSocket* socket;
    QTimer* retry;
    QTimer* logInTimer;
    QTimer* answerTimer;
    LineBuffer received;
    QList<Pending> pending;
    QString serverHost = QStringLiteral("localhost");
    quint16 serverPort = 6057;
    QString ownName;
    QString keyFile;
    State current = Down;
    bool keySent = false;
    int nextRetryMs = firstRetryMs;
};
