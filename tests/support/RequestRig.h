#pragma once

#include "sim/server/ZephraServerThread.h"
#include "tests/support/EmulatedUnits.h"
#include "tests/support/LineClient.h"

#include <QTemporaryDir>
#include <QtEndian>

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
    QStringList answersTo(const QString& request, const QString& sub = QString())
    {
        lines.send(QString("ctrl>Tavik%1 %2\nctrl>Tavik.end Hello\n")
                       .arg(sub.isEmpty() ? "" : "." + sub, request)
                       .toLatin1());
        const QString cmd = request.section(' ', 0, 0);
        QStringList answers;
        QDeadlineTimer deadline(answerWaitMs);
        for (Line l = next(deadline, true); l.came; l = next(deadline, true)) {
            if (l.from == "Tavik.end" && l.cmd == "Hello") return answers;
            if (l.answer) answers << (l.cmd == cmd ? l.text : QString("<@%1 %2>").arg(l.cmd, l.text));
        }
        return answers << "<no end of the answers in time>";
    }

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
    bool waitUntilServed(int timeoutMs)
    {
        const auto served = [this]() {
            lines.send("ctrl>Tavik.end Hello\n");
            QDeadlineTimer reply(1000);
            for (Line l = next(reply, true); l.came; l = next(reply, true))
                if (l.cmd == "Hello") return l.from == "Tavik.end";
            return false;
        };
        return QTest::qWaitFor(served, timeoutMs);
    }

    // Reads for a while; false when any answer arrived meanwhile.
    bool noAnswerWithin(int ms)
    {
        const int before = strays.size();
        for (QDeadlineTimer deadline(ms); !deadline.hasExpired();)
            next(deadline);
        return strays.size() == before;
    }

    // Until the event has arrived (it may have already); events are kept in arrival order.
    bool waitForEvent(const QString& event, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!events.contains(event) && next(deadline).came) {
        }
        return events.contains(event);
    }

    QStringList takeEvents() { return std::exchange(events, QStringList()); }

    QStringList events;
    QStringList strays;

private:
    struct Line
    {
        bool came = false, answer = false;
        QString from, cmd, text;
    };

    Line next(const QDeadlineTimer& deadline, bool awaited = false)
    {
        QString raw = QString::fromLatin1(lines.readLine(int(qMax<qint64>(1, deadline.remainingTime()))));
        Line l;
        l.came = !raw.isEmpty();
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        const QString head = raw.section(' ', 0, 0), body = raw.section(' ', 1);
        l.from = head.section('>', 0, 0);
        l.answer = body.startsWith('@');
        if (l.answer) {
            l.cmd = body.section(' ', 0, 0).mid(1);
            l.text = body.section(' ', 1);
            if (!awaited) strays << raw;
        } else if (l.from == "Tavik" && head.section('>', 1) == "System" && body.startsWith('_')) {
            events << body.mid(1);
        }
        return l;
    }

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

    ~TavikRig() { stop(); }

    // count DSP units at firstAddress, firstAddress + 1, ..., and the HV unit after them when
    // asked (unit number count); empty text when started.
    QString startUnits(const QString& firstAddress, int count, bool hvUnit = false)
    {
        QString error;
        emu = startEmulatedUnits(firstAddress, count, &error, hvUnit);
        return emu ? QString() : "units: " + error;
    }

    QString unitIp(int unit) const { return emu->unitAddress(unit).toString(); }

    // Units dsp1, dsp2, ... with these channel flags ("1 0 1 1"), then the program.
    QString startWithUnits(const QString& firstAddress, const QStringList& channelFlags, bool hvUnit = false)
    {
        const QString error = startUnits(firstAddress, channelFlags.size(), hvUnit);
        QStringList vexda;
        for (int i = 0; error.isEmpty() && i < channelFlags.size(); ++i)
            vexda << QString("dsp%1 %2 %3").arg(i + 1).arg(unitIp(i), channelFlags.at(i));
        return error.isEmpty() ? startTavik(vexda) : error;
    }

    // The server and the keys in the rig's folder; empty text when started.
    QString startServer()
    {
        if (!dir.isValid()) return "no temporary folder";
        for (const char* name : {"zephra.keys", "Tavik.key"})
            if (!writeTextFile(dir.filePath(name), keys)) return QString("cannot write %1").arg(name);
        server = std::make_unique<ZephraServerThread>(standInConfig(dir.filePath("zephra.keys"), challenge));
        if (!server->started) return "server: " + server->error;
        return ctrl.logIn(server->port, keyOfChallenge) ? QString() : "ctrl cannot log in";
    }

    // The configuration of the program: the server, the units' ports and the VEXDA lines.
    QString configText(const QStringList& vexdaLines) const
    {
        QString text =
            QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\n").arg(server->port);
        if (emu)
            text += QString("VEX_UDP_PORT %1\nVEX_TCP_PORT %2\n").arg(emu->udpPort()).arg(emu->tcpPort());
        for (const QString& line : vexdaLines)
            text += "VEXDA " + line + '\n';
        return text + extraConfig;
    }

    // The server, then the program with these VEXDA lines; returns once the program answers.
    QString startTavik(const QStringList& vexdaLines)
    {
        const QString error = startServer();
        if (!error.isEmpty()) return error;
        if (!writeTextFile(dir.filePath("config.cfg"), configText(vexdaLines).toLatin1()))
            return "cannot write config.cfg";
        tavik.setWorkingDirectory(dir.path());
        tavik.setProcessChannelMode(QProcess::MergedChannels);
        tavik.start(qEnvironmentVariable("TAVIK_EXE"),
                    QStringList{"-platform", "offscreen", "-e"} + extraArgs);
        if (!tavik.waitForStarted(startMs)) return "tavik does not start: " + tavik.errorString();
        if (!ctrl.waitUntilServed(startMs))
            return "tavik does not answer: " + QString::fromLocal8Bit(tavik.readAll().right(2000));
        return QString();
    }

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

    void stop()
    {
        stopProcess(tavik);
        server.reset();
        emu.reset();
    }

    bool tavikRunning() const { return tavik.state() == QProcess::Running; }

    QString extraConfig;   // more configuration lines, each ending in a line break
    QStringList extraArgs; // more command-line options
    QTemporaryDir dir;
    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<ZephraServerThread> server;
    QProcess tavik;
    RequestClient ctrl;
};

// A register datagram a unit received, decoded.
struct UnitRequest
{
    bool write = false;
    quint32 address = 0;
    int length = 0;
    quint64 value = 0;

    static UnitRequest parse(const QByteArray& d)
    {
        UnitRequest r;
        const auto* b = reinterpret_cast<const uchar*>(d.constData());
        if (d.size() >= 8) r = {b[1] == 0x80, qFromBigEndian<quint32>(b + 4), b[3], 0};
        for (int i = 8; r.write && i < d.size(); ++i)
            r.value = r.value << 8 | b[i];
        return r;
    }
};

// The values written to one address, in order.
inline QVector<quint64> writesTo(const QList<QByteArray>& requests, quint32 address)
{
    QVector<quint64> values;
    for (const QByteArray& d : requests)
        if (const UnitRequest r = UnitRequest::parse(d); r.write && r.address == address) values << r.value;
    return values;
}

// The addresses read, in order.
inline QVector<quint32> readsOf(const QList<QByteArray>& requests)
{
    QVector<quint32> addresses;
    for (const QByteArray& d : requests)
        if (const UnitRequest r = UnitRequest::parse(d); !r.write) addresses << r.address;
    return addresses;
}

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
