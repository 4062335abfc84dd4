#include "quit/QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

// Signals are a Unix matter: elsewhere the program ends when its last window closes.
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

int QuitOnSignal::pipeEnds[2] = {-1, -1};

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0) return;
    notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitOnSignal::quitNow);
    struct sigaction action = {};
    action.sa_handler = &QuitOnSignal::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
#endif
}

QuitOnSignal::~QuitOnSignal()
{
#ifdef Q_OS_UNIX
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    for (int& end : pipeEnds) {
        if (end >= 0) ::close(end);
        end = -1;
    }
#endif
}

void QuitOnSignal::handle(int)
{
#ifdef Q_OS_UNIX
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
#endif
}

void QuitOnSignal::quitNow()
{
#ifdef Q_OS_UNIX
    char byte;
    [[maybe_unused]] const ssize_t got = ::read(pipeEnds[1], &byte, 1);
#endif
    QCoreApplication::quit();
}
