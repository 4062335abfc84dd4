#pragma once

#include "consumer/McaTransfer.h"
#include "consumer/SpectrumFormats.h"
#include "consumer/TransferFramer.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QTcpSocket;
class QTimer;

struct ConsumerOptions
{
    enum Reply { Ack, Nack, None, Split, Garbage, Text };

    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 6058;
    int blocks = 0;    // blocks per transfer; 0: a transfer is what arrives before a pause
    int pauseMs = 300; // the pause that ends a transfer when blocks is 0
    QString outDir;    // the files of each transfer; empty: nothing saved
    SpectrumFormats formats;
    QStringList vexda;   // the VEXDA lines after the key: unit names and addresses for the files
    int transfers = 0;   // end after this many transfers; 0: no limit
    int timeLimitMs = 0; // end after this long in all; 0: no limit
    bool reconnect = true;
    Reply reply = Ack;
    QByteArray replyText; // the reply when reply is Text
    int replyTimes = -1;  // transfers answered with `reply`; the later ones get "Ack". -1: all
};

// The consumer of Tavik's data link: reads each transfer, checks its blocks, replies and
// saves it. The plot needs the GUI thread, so with an output folder it must live there.
class DataLinkConsumer : public QObject
{
    Q_OBJECT
public:
    enum Exit { Done = 0, Failed = 1, CheckFailed = 2, TimeOver = 3 };
    static constexpr int maxBlocks = TransferFramer::maxBlocks; // the most blocks a transfer may hold
    static constexpr int readPieceBytes = 16 * McaTransfer::blockSize;
    static constexpr int retryMs = 500;
    static constexpr int splitGapMs = 150;
    static constexpr int flushWaitMs = 2000;
    static constexpr int faultsShown = 3; // in the one line of a transfer that failed its check

    explicit DataLinkConsumer(const ConsumerOptions& options, QObject* parent = nullptr);

    void start();
    static QByteArray replyBytes(ConsumerOptions::Reply reply, const QByteArray& text);

Q_SIGNALS:
    void linked();
    void unlinked();
    void transferReceived(const QByteArray& bytes, const QStringList& faults);
    void report(const QString& line);  // one line per transfer that passed its check
    void problem(const QString& text); // one line per transfer that failed it; connection trouble
    void finished(int exitCode);

private:
    void connectNow();
    void onConnected();
    void onError();
    void onDisconnected();
    void readData();
    void endTransfer(const QByteArray& bytes);
    static QString faultText(const QStringList& faults);
    QString reply(int n);
    QStringList save(int n, const QVector<McaTransfer::Block>& blocks);
    void finish(int code);

    ConsumerOptions options;
    QTcpSocket* socket;
    QTimer* pause;
    TransferFramer framer;
    bool isLinked = false;
    bool complained = false;
    bool checkFailed = false;
    bool over = false;
    int received = 0;
};
