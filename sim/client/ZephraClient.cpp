#include "ZephraClient.h"

#include <QFile>
#include <QTcpSocket>
#include <QTimer>

ZephraClient::ZephraClient(const ClientConfig& c, QObject* parent)
    : QObject(parent), config(c), socket(new QTcpSocket(this)), deadline(new QTimer(this))
{
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this]() {
        if (phase != LoggedIn)
            finish(Failed, "no log-in within the wait time");
        else if (config.requests.isEmpty())
            finish(AllAnswered, QString());
        else
            finish(TimedOut, QString("%1 of %2 requests answered").arg(answers).arg(config.requests.size()));
    });
    connect(socket, &QTcpSocket::readyRead, this, &ZephraClient::readLines);
    connect(socket, &QTcpSocket::errorOccurred, this, [this]() { finish(Failed, socket->errorString()); });
}

int ZephraClient::keyIndexFor(int challenge, int count)
{
    if (count <= 0) return -1;
    const int index = challenge % count;
    return index < 0 ? index + count : index;
}

void ZephraClient::start()
{
    QFile file(config.keyFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTimer::singleShot(0, this, [this]() { finish(Failed, "can't open key file " + config.keyFile); });
        return;
    }
    while (!file.atEnd())
        keys << file.readLine().simplified();
    deadline->start(config.waitMs);
    socket->connectToHost(config.host, config.port);
}

void ZephraClient::readLines()
{
    while (phase != Over && socket->canReadLine()) {
        QByteArray line = socket->readLine();
        line.chop(1);
        onLine(line);
    }
}

void ZephraClient::onLine(const QByteArray& line)
{
    switch (phase) {
    case AwaitChallenge: {
        const int index = keyIndexFor(line.trimmed().toInt(), keys.size());
        const QByteArray key = index < 0 ? QByteArray() : keys.at(index);
        socket->write(config.name + ' ' + key + '\n');
        phase = AwaitVerdict;
        break;
    }
    case AwaitVerdict:
        if (!line.startsWith("System>" + config.name + " Ok:")) {
            finish(Failed, "refused: " + QString::fromUtf8(line));
            return;
        }
        phase = LoggedIn;
        emit status("logged in as " + QString::fromLatin1(config.name));
        for (const QByteArray& body : config.requests)
            socket->write(config.name + '>' + config.to + ' ' + body + '\n');
        deadline->start(config.waitMs);
        break;
    case LoggedIn: {
        emit received(line);
        const int blank = line.indexOf(' ');
        if (blank > 0 && line.mid(blank + 1).trimmed().startsWith('@')) ++answers;
        if (!config.requests.isEmpty() && answers >= config.requests.size()) finish(AllAnswered, QString());
        break;
    }
    case Over:
        break;
    }
}

void ZephraClient::finish(int result, const QString& why)
{
    if (phase == Over) return;
    phase = Over;
    deadline->stop();
    if (!why.isEmpty()) emit status(why);
    socket->disconnectFromHost();
    emit finished(result);
}
