#pragma once

#include "consumer/McaTransfer.h"
#include "consumer/TransferFramer.h"

#include <QObject>

class QTcpSocket;
class QTimer;

// The monitor's end of the data link: reads each transfer, checks its blocks as the
// data-link consumer does (one framer and one reader for both) and replies "Ack". A faulty
// transfer is acknowledged too: "Nack" would only bring the same bytes again.
class DataLinkClient : public QObject
{
    Q_OBJECT
public:
    enum State { Down, Connecting, Linked };
    static constexpr int pauseMs = 300;        // without a block count, a pause ends a transfer
    static constexpr int stallMs = 3000;       // with one, an unfinished transfer is cut short then
    static constexpr int connectWaitMs = 5000; // a peer that never completes the connection
    static constexpr int readPieceBytes = 16 * McaTransfer::blockSize;

    explicit DataLinkClient(QObject* parent = nullptr);

    void connectTo(const QString& host, quint16 port);
    void drop(const QString& why);
    State state() const { return current; }
    QString host() const { return linkHost; }
    quint16 port() const { return linkPort; }
    // Blocks per transfer (the number of elements); 0 while unknown.
    void setBlocks(int blocks) { framer.setBlocks(blocks); }
    qint64 bytesReceived() const { return received; }

Q_SIGNALS:
    void stateChanged(int state, const QString& why);
    void transferRead(const QVector<McaTransfer::Block>& blocks, const QStringList& faults);

private:
    void readData();
    void endTransfer(const QByteArray& bytes);
    void setState(State state, const QString& why = QString());

    QTcpSocket* socket;
    QTimer* pause;
    QTimer* connectTimer;
    TransferFramer framer;
    QString linkHost;
    quint16 linkPort = 0;
    qint64 received = 0;
    State current = Down;
};

Q_DECLARE_METATYPE(McaTransfer::Block)
