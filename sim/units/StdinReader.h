#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Hands over standard input line by line from the event loop, without blocking it.
// At the end of input (or with no input at all) it falls silent and says so once.
class StdinReader : public QObject
{
    Q_OBJECT

public:
    explicit StdinReader(QObject* parent = nullptr);

Q_SIGNALS:
    void lineRead(const QString& line);
    void ended();

private Q_SLOTS:
    void readAvailable();

private:
    void finish();

    QSocketNotifier* notifier_ = nullptr;
    QByteArray buffer_;
};
