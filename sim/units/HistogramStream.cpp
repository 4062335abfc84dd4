#include "HistogramStream.h"

#include <QTcpSocket>

HistogramStream::HistogramStream(QTcpSocket* socket, bool verbose, QObject* parent)
    : QObject(parent), socket_(socket)
{
    socket_->setParent(this);
    gap_.setSingleShot(true);
    gap_.setTimerType(Qt::PreciseTimer); // a coarse timer may fire a few per cent early
    connect(&gap_, &QTimer::timeout, this, &HistogramStream::sendPiece);
    // Whatever a client sends on this connection means nothing to the unit.
    connect(socket_, &QTcpSocket::readyRead, socket_, [this] { socket_->readAll(); });
    connect(socket_, &QTcpSocket::disconnected, this, &HistogramStream::close);
    if (verbose)
        connect(socket_, &QTcpSocket::errorOccurred, this,
                [this] { qInfo().noquote() << "tcp client:" << socket_->errorString(); });
}

void HistogramStream::send(const QByteArray& data, int pieceBytes, int gapMs, bool closeAfter)
{
    if (closed_) return;
    closeWhenSent_ = closeWhenSent_ || closeAfter;
    pending_.append(data);
    pieceBytes_ = pieceBytes;
    gap_.setInterval(qMax(0, gapMs));
    if (!gap_.isActive()) sendPiece();
}

void HistogramStream::sendPiece()
{
    const int n = pieceBytes_ > 0 ? qMin(pieceBytes_, pending_.size()) : pending_.size();
    if (n > 0) {
        socket_->write(pending_.constData(), n);
        pending_.remove(0, n);
    }
    if (!pending_.isEmpty())
        gap_.start();
    else if (closeWhenSent_)
        socket_->disconnectFromHost(); // after what is written, unlike close()
}

void HistogramStream::close()
{
    if (closed_) return;
    closed_ = true;
    gap_.stop();
    pending_.clear();
    socket_->abort();
    Q_EMIT closed(this);
}
