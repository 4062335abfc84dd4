#include "EchoNode.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

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
        if (gt < 0 || blank < gt)
            continue;
        const QByteArray from = line.left(gt);
        const QByteArray to = line.mid(gt + 1, blank - gt - 1);
        const QByteArray cmd = line.mid(blank + 1).split(' ').first();
        if (cmd.startsWith('@') || cmd.startsWith('_'))
            continue;
        socket->write(to + '>' + from + " @" + cmd + " Ok:\n");
        socket->flush();
    }
}

EchoThread::EchoThread(quint16 serverPort, const QByteArray& name, const QByteArray& key)
{
    thread.start();
    auto* node = new EchoNode(serverPort, name, key);
    QEventLoop wait;
    QObject::connect(
        node, &EchoNode::loggedIn, &wait,
        [this, &wait] {
            isReady = true;
            wait.quit();
        },
        Qt::QueuedConnection);
    QObject::connect(&thread, &QThread::finished, node, &QObject::deleteLater);
    node->moveToThread(&thread);
    QMetaObject::invokeMethod(node, [node] { node->start(); }, Qt::QueuedConnection);
    QTimer::singleShot(5000, &wait, &QEventLoop::quit);
    wait.exec();
}

EchoThread::~EchoThread()
{
    thread.quit();
    thread.wait();
}
