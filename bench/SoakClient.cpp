#include "SoakClient.h"

#include <QDeadlineTimer>
#include <QHostAddress>

bool SoakClient::logIn(quint16 port, const QByteArray& as, const QByteArray& key)
{
    name = as;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForConnected(loginWaitMs) || nextLine(loginWaitMs).isEmpty()) return false;
    socket.write(name + ' ' + key + '\n');
    return nextLine(loginWaitMs).startsWith("System>" + name + " Ok:");
}

void SoakClient::send(const QByteArray& to, const QByteArray& body)
{
    socket.write(name + '>' + to + ' ' + body + '\n');
    socket.flush();
    expectedFrom = to;
    expectedCmd = body.split(' ').first();
    ++sent;
}

bool SoakClient::awaitAnswer(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QByteArray line = nextLine(int(qMax<qint64>(1, deadline.remainingTime())));
        if (line.isEmpty()) {
            problem = QString("%1: no answer to %2 in %3 ms").arg(name, expectedCmd).arg(timeoutMs);
            return false;
        }
        if (!isAnswer(line)) continue;
        const QByteArray from = line.left(line.indexOf('>'));
        const QByteArray cmd = line.mid(line.indexOf(" @") + 2).split(' ').first().trimmed();
        if (from != expectedFrom || cmd != expectedCmd) {
            problem = QString("%1: asked %2 %3, answered: %4")
                          .arg(name, expectedFrom, expectedCmd, QString::fromLatin1(line.left(200)));
            return false;
        }
        ++answered;
        return true;
    }
}

int SoakClient::strayAnswersWithin(int ms)
{
    int strays = 0;
    const QDeadlineTimer deadline(ms);
    for (QByteArray line = nextLine(ms); !line.isEmpty();
         line = nextLine(int(qMax<qint64>(1, deadline.remainingTime()))))
        if (isAnswer(line)) ++strays;
    return strays;
}

QByteArray SoakClient::nextLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine())
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return QByteArray();
    return socket.readLine();
}

bool SoakClient::isAnswer(const QByteArray& line)
{
    const int blank = line.indexOf(' ');
    if (line.mid(blank + 1, 1) == "@") return true;
    ++events;
    return false;
}
