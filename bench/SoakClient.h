#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTcpSocket>

// A client of the message server for the soak run. It sends one request at a time and
// checks that exactly one answer comes back for it: answers are taken in order, each must
// carry the request's command word and, when the request was tagged with a sub-address,
// that tag. Waits block without an event loop (the server runs on a thread of its own).
class SoakClient
{
public:
    static constexpr int loginWaitMs = 5000;

    bool logIn(quint16 port, const QByteArray& name, const QByteArray& key);

    // to: "Tavik", "Tavik.dsp1" or "Tavik.q123" (a tag the answer must repeat).
    void send(const QByteArray& to, const QByteArray& body);
    // Until the answer to the request sent last; false (with `problem` set) when it did not
    // come in time or another answer came first.
    bool awaitAnswer(int timeoutMs);
    // Answers that arrive although nothing was asked.
    int strayAnswersWithin(int ms);

    QByteArray name;
    QString problem;
    qint64 sent = 0;
    qint64 answered = 0;
    qint64 events = 0;

private:
    QByteArray nextLine(int timeoutMs);
    // True for an answer line; events are counted and skipped.
    bool isAnswer(const QByteArray& line);

    QTcpSocket socket;
    QByteArray expectedFrom;
    QByteArray expectedCmd;
};
