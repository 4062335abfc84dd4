#pragma once

#include "sim/server/ZephraServerThread.h"
#include "tests/support/EmulatedUnits.h"
#include "tests/support/LineClient.h"
#include "tests/support/UnitRequest.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <numeric>

// A client of the server named "ctrl" that sends requests to Tavik and sorts what comes back:
// events of Tavik are kept, and answers nobody waited for (strays).
class RequestClient
{
public:
    static constexpr int answerWaitMs = 20000;

    bool logIn(quint16 port, const QByteArray& key) { return lines.open(port) && lines.logIn("ctrl", key); }

    // Every answer to one request. A Hello to the sub-address "end" follows the request: the
    // program serves requests one after the other, so all answers to the request arrive
    // before that Hello's. An answer to another command is listed with its word.
    QStringList answersTo(const QString& request, const QString& sub = QString());
    // The one answer to a request, or a text naming what was wrong (so that it fails a
    // comparison and shows why).
    QString ask(const QString& request, const QString& sub = QString())
    {
        const QStringList answers = answersTo(request, sub);
        return answers.size() == 1 ? answers.first()
                                   : QString("<%1 answers: %2>").arg(answers.size()).arg(answers.join(" | "));
    }
    // The answers to requests asked one after the other, joined by '|'.
    QString asks(const QStringList& requests, const QString& sub = QString())
    {
        QStringList answers;
        for (const QString& request : requests)
            answers << ask(request, sub);
        return answers.join('|');
    }
    // Until the program answers a Hello (it logs in some time after it starts); until then the
    // server answers for it that the node is unknown.
    bool waitUntilServed(int timeoutMs);
    // Reads for a while; false when any answer arrived meanwhile.
    bool noAnswerWithin(int ms);
    // Until the event has arrived (it may have already); events are kept in arrival order.
    bool waitForEvent(const QString& event, int timeoutMs);
    QStringList takeEvents() { return std::exchange(events, QStringList()); }

    QStringList events;
    QStringList strays;

private:
    struct Line
    {
        bool came = false, answer = false;
        QString from, cmd, text;
    };
    Line next(const QDeadlineTimer& deadline, bool awaited = false);

    LineClient lines;
};

// The emulated units, the server and the program, started in that order and stopped in the
// opposite one. Each test file uses its own loopback range for the units.
class TavikRig
{
public:
    static constexpr int startMs = 20000;
    static constexpr int challenge = 4;
    static constexpr const char* keys = "alpha\nbravo\ncharlie\n";
    static constexpr const char* keyOfChallenge = "bravo"; // 4 mod 3
    // The data link on a port the system picks, asked back with dataLinkPort().
    static constexpr const char* freeDataLink = "DATA_LINK_CH_IP 127.0.0.1\nDATA_LINK_CH_PORT 0\n";

    ~TavikRig() { stop(); }

    // count DSP units at firstAddress, firstAddress + 1, ..., and the HV unit after them when
    // asked (unit number count); empty text when started.
    QString startUnits(const QString& firstAddress, int count, bool hvUnit = false);
    QString unitIp(int unit) const { return emu->unitAddress(unit).toString(); }
    // Units dsp1, dsp2, ... with these channel flags ("1 0 1 1"), then the program.
    QString startWithUnits(const QString& firstAddress, const QStringList& channelFlags, bool hvUnit = false);
    // The server and the keys in the rig's folder; empty text when started.
    QString startServer();
    // The configuration of the program: the server, the units' ports and the VEXDA lines.
    QString configText(const QStringList& vexdaLines) const;
    // The server, then the program with these VEXDA lines; returns once the program answers.
    QString startTavik(const QStringList& vexdaLines);
    // The port the program's data link listens on, as GetDataLinkCh answers it.
    quint16 dataLinkPort() { return quint16(ctrl.ask("GetDataLinkCh").section(' ', 1).toUInt()); }
    // What went wrong after a test's requests: answers nobody asked for, or the program gone.
    QString leftovers()
    {
        if (!ctrl.noAnswerWithin(100)) return "stray answers: " + ctrl.strays.join('\n');
        return tavikRunning() ? QString() : "tavik has ended";
    }
    // The register datagrams a unit received since the last call.
    QList<QByteArray> takeRequests(int unit)
    {
        const QList<QByteArray> r = emu->requests(unit);
        emu->clearRequests(unit);
        return r;
    }
    void stop();
    bool tavikRunning() const { return tavik.state() == QProcess::Running; }

    QString extraConfig;   // more configuration lines, each ending in a line break
    QStringList extraArgs; // more command-line options
    QTemporaryDir dir;
    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<ZephraServerThread> server;
    QProcess tavik;
    RequestClient ctrl;
};

template <typename Count> QString joinedCounts(const QVector<Count>& counts)
{
    QStringList texts;
    for (Count c : counts)
        texts << QString::number(c);
    return texts.join(' ');
}

inline quint64 sumOf(const QVector<quint32>& bins, int from, int below)
{
    return std::accumulate(bins.begin() + qBound(0, from, bins.size()),
                           bins.begin() + qBound(0, below, bins.size()), quint64(0));
}

// Seconds as the program answers them: 6 significant digits.
inline QString secondsText(quint64 ticks)
{
    return QString::number(double(ticks) * 1e-8, 'g', 6);
}
