#include "ZephraServer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QByteArray systemName = "System";

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool isUsableName(const QByteArray& name)
{
    if (name.isEmpty() || name == systemName) return false;
    for (char c : name)
        if (c == '>' || c == '.' || static_cast<unsigned char>(c) <= ' ') return false;
    return true;
}

QByteArray beforeDot(const QByteArray& name)
{
    const int dot = name.indexOf('.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace

ZephraServer::ZephraServer(const ServerConfig& c, QObject* parent)
    : QObject(parent), config(c), server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &ZephraServer::accept);
}

ZephraServer::~ZephraServer() = default;

bool ZephraServer::start(QString* error)
{
    QFile file(config.keyFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QString("can't open key file %1: %2").arg(config.keyFile, file.errorString());
        return false;
    }
    keys.clear();
    while (!file.atEnd())
        keys << withoutLineEnd(file.readLine()).simplified();
    if (!server->listen(config.address, config.port)) {
        *error = QString("can't listen on %1 port %2: %3")
                     .arg(config.address.toString())
                     .arg(config.port)
                     .arg(server->errorString());
        return false;
    }
    Q_EMIT note(QString("%1 keys from %2").arg(keys.size()).arg(config.keyFile));
    return true;
}

QHostAddress ZephraServer::address() const
{
    return server->serverAddress();
}

quint16 ZephraServer::port() const
{
    return server->serverPort();
}

int ZephraServer::keyIndexFor(int challenge, int count)
{
    if (count <= 0) return -1;
    int index = challenge % count;
    if (index < 0) index += count;
    return index;
}

void ZephraServer::accept()
{
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        Peer peer;
        peer.challenge = config.fixedChallenge
                             ? config.challenge
                             : static_cast<int>(QRandomGenerator::global()->bounded(1000000));
        peer.loginTimer = new QTimer(socket);
        peer.loginTimer->setSingleShot(true);
        connect(peer.loginTimer, &QTimer::timeout, this,
                [this, socket]() { refuse(socket, "?", "No log-in reply in time"); });
        peer.loginTimer->start(config.loginTimeoutMs);
        peers.insert(socket, peer);
        // A relayed line goes out at once, not after the peer acknowledges the one before.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket]() { forget(socket); });
        Q_EMIT note(QString("connection from %1 port %2, challenge %3")
                        .arg(socket->peerAddress().toString())
                        .arg(socket->peerPort())
                        .arg(peer.challenge));
        sendTo(socket, QByteArray::number(peer.challenge));
    }
}

void ZephraServer::readFrom(QTcpSocket* socket)
{
    while (peers.contains(socket) && socket->canReadLine()) {
        const QByteArray raw = socket->readLine();
        if (peers[socket].loggedIn)
            relay(socket, raw);
        else
            logIn(socket, withoutLineEnd(raw));
    }
    if (peers.contains(socket) && socket->bytesAvailable() > maxLineBytes) {
        Q_EMIT note(QString("%1: line longer than %2 bytes, closing")
                        .arg(QString::fromLatin1(peers[socket].name))
                        .arg(maxLineBytes));
        socket->abort();
    }
}

void ZephraServer::logIn(QTcpSocket* socket, const QByteArray& reply)
{
    Peer& peer = peers[socket];
    peer.loginTimer->stop();
    const int blank = reply.indexOf(' ');
    const QByteArray name = blank < 0 ? reply : reply.left(blank);
    const QByteArray key = blank < 0 ? QByteArray() : reply.mid(blank + 1);
    if (!isUsableName(name)) {
        refuse(socket, "?", "Log-in needs \"name key\"");
        return;
    }
    const int index = keyIndexFor(peer.challenge, keys.size());
    if (blank < 0 || index < 0 || keys.at(index) != key) {
        refuse(socket, name, "Wrong key");
        return;
    }
    if (byName.contains(name)) {
        refuse(socket, name, "Name already logged in");
        return;
    }
    peer.name = name;
    peer.loggedIn = true;
    byName.insert(name, socket);
    Q_EMIT note(QString("%1 logged in").arg(QString::fromLatin1(name)));
    sendTo(socket, systemName + '>' + name + " Ok: welcome");
}

void ZephraServer::relay(QTcpSocket* socket, const QByteArray& raw)
{
    const QByteArray sender = peers[socket].name;
    // Relayed as received, a CR before the LF included.
    const QByteArray line = raw.endsWith('\n') ? raw.left(raw.size() - 1) : raw;
    const QByteArray text = line.simplified();
    const int blank = text.indexOf(' ');
    const QByteArray head = blank < 0 ? text : text.left(blank);
    const int gt = head.indexOf('>');
    if (blank < 0 || gt < 0) {
        Q_EMIT note(QString("%1: dropped, no head or body: %2")
                        .arg(QString::fromLatin1(sender), QString::fromLatin1(line)));
        return;
    }
    const QByteArray from = head.left(gt);
    const QByteArray toNode = beforeDot(head.mid(gt + 1));
    if (beforeDot(from) != sender) {
        Q_EMIT note(
            QString("%1: dropped, sent as %2").arg(QString::fromLatin1(sender), QString::fromLatin1(from)));
        return;
    }

    if (toNode == systemName) {
        for (auto it = byName.cbegin(); it != byName.cend(); ++it)
            if (it.value() != socket) sendTo(it.value(), line);
        return;
    }
    if (QTcpSocket* target = byName.value(toNode)) {
        sendTo(target, line);
        return;
    }
    const QByteArray body = text.mid(blank + 1);
    if (body.startsWith('@') || body.startsWith('_')) {
        Q_EMIT note(
            QString("%1: dropped, no node %2").arg(QString::fromLatin1(sender), QString::fromLatin1(toNode)));
        return;
    }
    const QByteArray cmd = body.left(body.indexOf(' ') < 0 ? body.size() : body.indexOf(' '));
    sendTo(socket, systemName + '>' + from + " @" + cmd + " Er: Unknown node [" + toNode + ']');
}

void ZephraServer::refuse(QTcpSocket* socket, const QByteArray& name, const QByteArray& reason)
{
    Q_EMIT note(QString("refused %1: %2").arg(QString::fromLatin1(name), QString::fromLatin1(reason)));
    sendTo(socket, systemName + '>' + name + " Er: " + reason);
    peers.remove(socket);
    socket->disconnectFromHost();
}

void ZephraServer::forget(QTcpSocket* socket)
{
    const auto it = peers.find(socket);
    if (it != peers.end()) {
        if (it->loggedIn) {
            byName.remove(it->name);
            Q_EMIT note(QString("%1 left").arg(QString::fromLatin1(it->name)));
        }
        peers.erase(it);
    }
    socket->deleteLater();
}

void ZephraServer::sendTo(QTcpSocket* socket, const QByteArray& line)
{
    socket->write(line + '\n');
}
