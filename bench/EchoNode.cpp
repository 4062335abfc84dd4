#include "EchoNode.h"

#include <QHostAddress>
#include <QTcpSocket>

EchoNode::EchoNode(quint16 serverPort, const QByteArray& name, const QByteArray& key)
    : socket(new QTcpSocket(this)), serverPort(serverPort), name(name), key(key)
{
    connect(socket, &QTcpSocket::readyRead, this, &EchoNode::readLines);
}

void EchoNode::start()
{
    socket->connectToHost(QHostAddress(QHostAddress::LocalHost), serverPort);
}

void EchoNode::readLines()
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        if (!challenged) {
            challenged = true;
            socket->write(name + ' ' + key + '\n');
            continue;
        }
        if (line.startsWith("System>" + name + " Ok:")) {
            emit loggedIn();
            continue;
        }
        // "from>to cmd ..." answered as "to>from @cmd Ok:"
        const int gt = line.indexOf('>');
        const int blank = line.indexOf(' ');
        if (gt < 0 || blank < gt) continue;
        const QByteArray from = line.left(gt);
        const QByteArray to = line.mid(gt + 1, blank - gt - 1);
        const QByteArray cmd = line.mid(blank + 1).split(' ').first();
        if (cmd.startsWith('@') || cmd.startsWith('_')) continue;
        // "Fill n" is answered with n characters, to weigh the transport of a long answer.
        const QByteArray text =
            cmd == "Fill" ? QByteArray(line.mid(blank + 6).toInt(), '7') : QByteArray("Ok:");
        socket->write(to + '>' + from + " @" + cmd + ' ' + text + '\n');
        socket->flush();
    }
}
