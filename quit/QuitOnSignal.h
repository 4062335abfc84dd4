#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a quit of the event loop, so that the destructors run and
// the server connection and the data link are closed instead of cut. The signal handler
// only writes a byte to a socket pair; the event loop reads it.
class QuitOnSignal : public QObject
{
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    static void handle(int signal);
    void quitNow();

    static int pipeEnds[2];
    QSocketNotifier* notifier = nullptr;
};
