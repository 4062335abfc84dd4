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
        Q_EMIT status("logged in as " + QString::fromLatin1(config.name));
        if (config.script) {
            nextStep();
            break;
        }
        for (const QByteArray& body : config.requests)
            socket->write(config.name + '>' + config.to + ' ' + body + '\n');
        deadline->start(config.waitMs);
        break;
    case LoggedIn: {
        Q_EMIT received(line);
        const int blank = line.indexOf(' ');
        const QByteArray body = blank > 0 ? line.mid(blank + 1).trimmed() : QByteArray();
        if (body.startsWith('@')) ++answers;
        if (config.script) {
            if (body.startsWith('_')) recentEvents << body.mid(1);
            const bool waiting =
                step < config.requests.size() && config.requests.at(step).startsWith("wait ");
            if (waiting ? eventSeen(config.requests.at(step)) : body.startsWith('@')) {
                ++step;
                nextStep();
            }
            break;
        }
        if (!config.requests.isEmpty() && answers >= config.requests.size()) finish(AllAnswered, QString());
        break;
    }
    case Over:
        break;
    }
}

void ZephraClient::nextStep()
{
    while (step < config.requests.size()) {
        const QByteArray& body = config.requests.at(step);
        deadline->start(config.waitMs);
        if (body.startsWith("wait ")) {
            if (!eventSeen(body)) return;
            ++step;
            continue;
        }
        recentEvents.clear();
        Q_EMIT sent(body);
        socket->write(config.name + '>' + config.to + ' ' + body + '\n');
        return;
    }
    finish(AllAnswered, QString());
}

bool ZephraClient::eventSeen(const QByteArray& step) const
{
    const QByteArray event = step.mid(5).trimmed();
    for (const QByteArray& e : recentEvents)
        if (e.startsWith(event)) return true;
    return false;
}

void ZephraClient::finish(int result, const QString& why)
{
    if (phase == Over) return;
    phase = Over;
    deadline->stop();
    if (!why.isEmpty()) Q_EMIT status(why);
    socket->disconnectFromHost();
    Q_EMIT finished(result);
}
