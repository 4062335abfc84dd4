#include "DataLinkConsumer.h"

#include "consumer/McaTransfer.h"
#include "consumer/SpectrumFiles.h"

#include <QDateTime>
#include <QDir>
#include <QTcpSocket>
#include <QTimer>

DataLinkConsumer::DataLinkConsumer(const ConsumerOptions& options, QObject* parent)
    : QObject(parent), options(options), socket(new QTcpSocket(this)), pause(new QTimer(this))
{
    pause->setSingleShot(true);
    pause->setInterval(options.pauseMs);
    framer.setBlocks(options.blocks);
    connect(pause, &QTimer::timeout, this, [this] {
        const QByteArray bytes = framer.takeHeld();
        if (!bytes.isEmpty()) endTransfer(bytes);
    });
    connect(socket, &QTcpSocket::connected, this, &DataLinkConsumer::onConnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &DataLinkConsumer::onError);
    connect(socket, &QTcpSocket::disconnected, this, &DataLinkConsumer::onDisconnected);
    connect(socket, &QTcpSocket::readyRead, this, &DataLinkConsumer::readData);
}

void DataLinkConsumer::start()
{
    if (options.timeLimitMs > 0)
        QTimer::singleShot(options.timeLimitMs, this,
                           [this] { finish(options.transfers > 0 ? TimeOver : Done); });
    connectNow();
}

void DataLinkConsumer::connectNow()
{
    if (!over) socket->connectToHost(options.host, options.port);
}

void DataLinkConsumer::onConnected()
{
    isLinked = true;
    complained = false;
    framer.clear();
    Q_EMIT linked();
}

void DataLinkConsumer::onError()
{
    if (isLinked || over) return; // a closed link is handled by onDisconnected
    // Once per outage, not at every retry.
    if (!complained)
        Q_EMIT problem(QString("cannot connect to %1 port %2: %3")
                           .arg(options.host)
                           .arg(options.port)
                           .arg(socket->errorString()));
    complained = true;
    if (options.reconnect)
        QTimer::singleShot(retryMs, this, &DataLinkConsumer::connectNow);
    else
        finish(Failed);
}

void DataLinkConsumer::onDisconnected()
{
    isLinked = false;
    pause->stop();
    if (framer.heldBytes() > 0) {
        Q_EMIT problem(QString("link closed within a transfer (%1 bytes dropped)").arg(framer.heldBytes()));
        checkFailed = true;
        framer.clear();
    }
    Q_EMIT unlinked();
    if (over) return;
    if (options.reconnect)
        QTimer::singleShot(retryMs, this, &DataLinkConsumer::connectNow);
    else
        finish(options.transfers > 0 && received < options.transfers ? Failed : Done);
}

void DataLinkConsumer::readData()
{
    while (socket->bytesAvailable() > 0 && !over) {
        QList<QByteArray> done;
        if (!framer.append(socket->read(readPieceBytes), done)) {
            Q_EMIT problem(QString("more than %1 blocks in one transfer: dropped").arg(maxBlocks));
            checkFailed = true;
            socket->readAll();
            return;
        }
        for (const QByteArray& bytes : done)
            if (!over) endTransfer(bytes);
    }
    if (options.blocks == 0) pause->start();
}

void DataLinkConsumer::endTransfer(const QByteArray& bytes)
{
    const int n = ++received;
    const McaTransfer::Transfer t = McaTransfer::readTransfer(bytes);
    const bool passed = t.faults.isEmpty();
    checkFailed = checkFailed || !passed;
    // Only checked spectra go to disk: a peer sending junk must not fill the folder.
    const QStringList files = passed && !options.outDir.isEmpty() ? save(n, t.blocks) : QStringList();
    const QString replied = reply(n);
    Q_EMIT transferReceived(bytes, t.faults);
    const QString line = QString("transfer %1: %2 blocks, %3, replied %4")
                             .arg(n)
                             .arg(t.blocks.size())
                             .arg(faultText(t.faults), replied);
    if (passed)
        Q_EMIT report(line + (files.isEmpty() ? QString() : ", wrote " + files.join(' ')));
    else
        Q_EMIT problem(line + ", not saved");
    if (options.transfers > 0 && n >= options.transfers) {
        // Let a split reply finish before ending.
        const int delay = replied.startsWith("split") ? 2 * splitGapMs : 0;
        QTimer::singleShot(delay, this, [this] { finish(Done); });
    }
}

// One line however many blocks failed: the first few faults and how many more.
QString DataLinkConsumer::faultText(const QStringList& faults)
{
    if (faults.isEmpty()) return "checked";
    QString text = "CHECK FAILED (" + faults.mid(0, faultsShown).join("; ");
    if (faults.size() > faultsShown) text += QString("; %1 more").arg(faults.size() - faultsShown);
    return text + ')';
}

QByteArray DataLinkConsumer::replyBytes(ConsumerOptions::Reply reply, const QByteArray& text)
{
    switch (reply) {
    case ConsumerOptions::Ack:
        return "Ack";
    case ConsumerOptions::Nack:
        return "Nack";
    case ConsumerOptions::Garbage:
        return "garbageAck";
    case ConsumerOptions::Text:
        return text;
    default:
        return QByteArray();
    }
}

QString DataLinkConsumer::reply(int n)
{
    const bool asked = options.replyTimes < 0 || n <= options.replyTimes;
    const ConsumerOptions::Reply mode = asked ? options.reply : ConsumerOptions::Ack;
    if (mode == ConsumerOptions::None) return "nothing";
    if (mode == ConsumerOptions::Split) {
        // Two writes far enough apart to arrive in two reads.
        socket->write("Ac");
        socket->flush();
        QTimer::singleShot(splitGapMs, this, [this] {
            if (isLinked) socket->write("k");
        });
        return "split \"Ac\" \"k\"";
    }
    const QByteArray bytes = replyBytes(mode, options.replyText);
    socket->write(bytes);
    socket->flush();
    return '"' + QString::fromLatin1(bytes.left(40)) + '"';
}

QStringList DataLinkConsumer::save(int n, const QVector<McaTransfer::Block>& blocks)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString base =
        QDir(options.outDir)
            .filePath(
                QString("transfer-%1-%2").arg(now.toString("yyyyMMdd-hhmmss")).arg(n, 4, 10, QChar('0')));
    // The consumer sees no start or end of a run: the files carry none.
    const SpectrumFiles files =
        writeSpectrumFiles(base, QString("Transfer %1, %2").arg(n).arg(now.toString("yyyy-MM-dd hh:mm:ss")),
                           blocks, spectrumRunFromBlocks(blocks, options.vexda), options.formats);
    for (const QString& text : files.problems)
        Q_EMIT problem(text);
    return files.written;
}

void DataLinkConsumer::finish(int code)
{
    if (over) return;
    over = true;
    if (socket->state() == QAbstractSocket::ConnectedState) socket->waitForBytesWritten(flushWaitMs);
    Q_EMIT finished(code == Done && checkFailed ? CheckFailed : code);
}
