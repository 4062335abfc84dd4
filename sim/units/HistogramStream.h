#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// The histogram side of one TCP client: sends what it is given in order, at once or in
// timed pieces. Owns its socket; tells when the connection is gone.
class HistogramStream : public QObject
{
    Q_OBJECT

public:
    HistogramStream(QTcpSocket* socket, bool verbose, QObject* parent = nullptr);

    // pieceBytes 0: in one go; otherwise pieces of that size, gapMs apart. closeAfter: the
    // connection is closed once everything given so far has gone out.
    void send(const QByteArray& data, int pieceBytes, int gapMs, bool closeAfter = false);
    void close();

Q_SIGNALS:
    void closed(HistogramStream* stream);

private:
    void sendPiece();

    QTcpSocket* socket_;
    QByteArray pending_;
    int pieceBytes_ = 0;
    QTimer gap_;
    bool closed_ = false;
    bool closeWhenSent_ = false;
};
