#pragma once

#include "ui_Zephra.h"
#include "zephra/AMsg.h"
#include "zephra/CommandTable.h"
#include "zephra/LineBuffer.h"
#include "zephra/RetryDelay.h"

#include <QAbstractSocket>
#include <QColor>
#include <QElapsedTimer>
#include <QFrame>
#include <QStringList>
#include <QTimer>

class ConnectStat;
class QTcpSocket;

// The message-server client widget of the main window's top row: holds the connection,
// logs in with a key from the key file, answers Hello, Help and IsBusy itself and hands
// every other message on by its kind. Once asked to connect it stays connected: a lost
// connection, or one that cannot be made, is tried again after a growing wait until it
// succeeds or the operator disconnects.
class Zephra : public QFrame
{
    Q_OBJECT
public:
    // The waits of connecting again; tests make them short.
    struct RetryTiming
    {
        int firstMs = RetryDelay::firstMs;
        int lastMs = RetryDelay::lastMs;
        int attemptMs = 10000; // from the connection request to the server's acceptance
    };

    explicit Zephra(QWidget* parent = nullptr);
    ~Zephra() override;

    void setRetryTiming(const RetryTiming& timing);
    // The wait before the next attempt, while one is due.
    int retryWaitMs() const { return retryTimer.isActive() ? retryTimer.interval() : 0; }

    // Field texts from the configuration; not an edit, so nothing goes to the history.
    void setFields(const QString& host, const QString& port, const QString& name, const QString& keyFile);

    QString sendLine(const QString& from, const QString& fromSub, const QString& to, const QString& body);
    QString sendFrom(const QString& sub, const QString& to, const QString& body);
    void sendAnswer(const AMsg& msg, const QString& text);
    // The same for a text in Latin-1 already, such as thousands of counts.
    void sendLatin1Answer(const AMsg& msg, const QByteArray& latin1Text);
    void sendEvent(const QString& sub, const QString& event);
    void sendAsk(const QString& sub, const QString& to, const QString& cmd,
                 const QString& params = QString());

    void registerCommands();
    void addCommand(int id, const QString& name, const QString& help);
    int idOf(const QString& name) const;
    QString helpOf(const QString& name) const;
    QString commandList() const;
    void dispatch(const QString& line);
    void answerHelp(const AMsg& msg);

Q_SIGNALS:
    void zephraIsReady();
    void zephraIsNotReady();
    void anyAns(AMsg amsg);
    void anyEvent(AMsg amsg);
    void anyAsk(AMsg amsg);
    void anyMsg(AMsg amsg);
    void notice(const QString& msg, int timeout = 0, bool warn = false);
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));
    void vlog(const QString& msg, const QColor& c = QColor(0, 0, 0));
    void sendingAnsToZephra(const QString& ans);
    void sendingEventToZephra(const QString& msg);
    void sendingAskToZephra(const QString& msg);

private Q_SLOTS:
    void connectedToZephra();
    void disconnectedFromZephra();
    void closeConnection();
    void receive();
    void newHost();
    void newPort();

public Q_SLOTS:
    void connectToZephra();
    void setBusy(bool f);
    bool busy();
    void setLogSendingMsg(bool f);

private:
    bool loggedIn() const;
    void sendKey(const QString& challenge);
    void loadKeys();
    void logInStep(const QString& text);
    void attempt();
    void socketStateChanged(QAbstractSocket::SocketState state);
    void stopConnecting();

    Ui_Zephra ui;
    QColor sndLogColor;
    QStringList keys;
    QTcpSocket* socket = nullptr;
    ConnectStat* connectStat = nullptr;
    bool isBusy = false;
    CommandTable commands;
    bool logSendingMsg = false;
    LineBuffer received;
    RetryTiming timing;
    QTimer retryTimer;
    QTimer attemptTimer;
    bool keepConnected = false; // asked to connect, and not disconnected by the operator since
    bool retrying = false;      // from a failed attempt or a loss up to the next log-in
    int failures = 0;           // attempts in a row that did not last
    QString endReason;          // why this client ended the attempt, when it did
    QString lastTrouble;        // the reason logged last while retrying
    QElapsedTimer loggedInFor;
};
