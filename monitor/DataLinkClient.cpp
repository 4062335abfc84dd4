#include "monitor/DataLinkClient.h"

#include <QTcpSocket>
#include <QTimer>

DataLinkClient::DataLinkClient(QObject* parent)
    : QObject(parent), socket(new QTcpSocket(this)), pause(new QTimer(this)), connectTimer(new QTimer(this))
{
    qRegisterMetaType<QVector<McaTransfer::Block>>();
    pause->setSingleShot(true);
    connect(pause, &QTimer::timeout, this, [this] {
        const QByteArray bytes = framer.takeHeld();
        if (!bytes.isEmpty()) endTransfer(bytes);
    });
    connectTimer->setSingleShot(true);
    connect(connectTimer, &QTimer::timeout, this, [this] { drop("no connection in time"); });
    connect(socket, &QTcpSocket::connected, this, [this] {
        connectTimer->stop();
        setState(Linked);
    });
    connect(socket, &QTcpSocket::readyRead, this, &DataLinkClient::readData);
    connect(socket, &QTcpSocket::errorOccurred, this, [this] { drop(socket->errorString()); });
    connect(socket, &QTcpSocket::disconnected, this, [this] { drop("connection closed"); });
}

void DataLinkClient::connectTo(const QString& host, quint16 port)
{
    if (current != Down) return;
    linkHost = host;
    linkPort = port;
    framer.clear();
    setState(Connecting);
    connectTimer->start(connectWaitMs);
    socket->connectToHost(host, port);
}

void DataLinkClient::drop(const QString& why)
{
    if (current == Down) return; // an error and then a disconnection: one drop
    current = Down;
    pause->stop();
    connectTimer->stop();
    framer.clear();
    socket->abort();
    setState(Down, why);
}

void DataLinkClient::readData()
{
    while (current == Linked && socket->bytesAvailable() > 0) {
        const QByteArray piece = socket->read(readPieceBytes);
        received += piece.size();
        QList<QByteArray> done;
        if (!framer.append(piece, done)) {
            drop(QString("more than %1 blocks in one transfer").arg(TransferFramer::maxBlocks));
            return;
        }
        for (const QByteArray& bytes : done)
            endTransfer(bytes);
    }
    if (framer.heldBytes() > 0) pause->start(framer.blocks() > 0 ? stallMs : pauseMs);
}

void DataLinkClient::endTransfer(const QByteArray& bytes)
{
    pause->stop();
    McaTransfer::Transfer t = McaTransfer::readTransfer(bytes);
    if (framer.blocks() > 0 && t.blocks.size() != framer.blocks())
        t.faults << QString("transfer of %1 blocks, not %2").arg(t.blocks.size()).arg(framer.blocks());
    socket->write("Ack");
    socket->flush();
    Q_EMIT transferRead(t.blocks, t.faults);
}

void DataLinkClient::setState(State state, const QString& why)
{
    current = state;
    Q_EMIT stateChanged(state, why);
}
