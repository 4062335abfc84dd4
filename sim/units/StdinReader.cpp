#include "StdinReader.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int stdinFd = 0;
constexpr int chunkBytes = 4096;
} // namespace

StdinReader::StdinReader(QObject* parent) : QObject(parent)
{
    if (fcntl(stdinFd, F_GETFD) == -1) {
        // No standard input at all: report the end once the event loop runs.
        QTimer::singleShot(0, this, &StdinReader::finish);
        return;
    }
    notifier_ = new QSocketNotifier(stdinFd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StdinReader::readAvailable);
}

void StdinReader::readAvailable()
{
    char chunk[chunkBytes];
    const ssize_t n = ::read(stdinFd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        finish();
        return;
    }
    buffer_.append(chunk, int(n));
    int newline;
    while ((newline = buffer_.indexOf('\n')) >= 0) {
        const QByteArray line = buffer_.left(newline);
        buffer_.remove(0, newline + 1);
        Q_EMIT lineRead(QString::fromLocal8Bit(line));
    }
}

void StdinReader::finish()
{
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (!buffer_.isEmpty()) {
        const QByteArray rest = buffer_;
        buffer_.clear();
        Q_EMIT lineRead(QString::fromLocal8Bit(rest));
    }
    Q_EMIT ended();
}
