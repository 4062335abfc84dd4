#pragma once

#include "sim/EmulatedUnits.h"
#include "sim/LineClient.h"
#include "sim/StandInServer.h"
#include "sim/units/UnitAddresses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <memory>

// What the tests of the request handlers share: the emulated units on a thread, the stand-in
// server on a thread, the real program as a process and a client that asks it as any other
// client of the server would.

// One line as the asking client receives it.
struct ReceivedLine
{
    enum Kind { Answer, Event, Other };
    Kind kind = Other;
    QString from; // the head before '>'
    QString cmd;  // answers: the word after '@'
    QString text; // answers: what follows "@cmd "; events: the body without its '_'

    static ReceivedLine parse(const QByteArray& raw)
    {
        QString line = QString::fromLatin1(raw);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        ReceivedLine r;
        const int blank = line.indexOf(' ');
        const QString head = line.left(blank);
        const QString body = blank < 0 ? QString() : line.mid(blank + 1);
        r.from = head.section('>', 0, 0);
        const QString to = head.section('>', 1);
        if (body.startsWith('@')) {
            r.kind = Answer;
            const int end = body.indexOf(' ');
            r.cmd = body.mid(1, end < 0 ? -1 : end - 1);
            r.text = end < 0 ? QString() : body.mid(end + 1);
        } else if (to == "System" && body.startsWith('_')) {
            r.kind = Event;
            r.text = body.mid(1);
        } else {
            r.text = line;
        }
        return r;
    }
};

// A client of the server named "ctrl" that sends requests to Tavik and sorts what comes back.
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
        const QString to = sub.isEmpty() ? QStringLiteral("Tavik") : "Tavik." + sub;
        lines.send(QString("ctrl>%1 %2\nctrl>Tavik.end Hello\n").arg(to, request).toLatin1());
        const QString cmd = request.section(' ', 0, 0);
        QStringList answers;
        QDeadlineTimer deadline(answerWaitMs);
        while (!deadline.hasExpired()) {
            const QByteArray raw = lines.readLine(int(qMax<qint64>(1, deadline.remainingTime())));
            if (raw.isEmpty()) break;
            const ReceivedLine line = take(raw);
            if (line.kind != ReceivedLine::Answer) continue;
            if (line.from == "Tavik.end" && line.cmd == "Hello") return answers;
            answers << (line.cmd == cmd ? line.text : QString("<@%1 %2>").arg(line.cmd, line.text));
        }
        answers << "<no end of the answers in time>";
        return answers;
    }

    // The one answer to a request, or a text naming what was wrong (so that it fails a
    // comparison and shows why).
    QString ask(const QString& request, const QString& sub = QString())
    {
        const QStringList answers = answersTo(request, sub);
        if (answers.size() == 1) return answers.first();
        return QString("<%1 answers: %2>").arg(answers.size()).arg(answers.join(" | "));
    }

    // Until the program answers a Hello (it logs in some time after it starts).
    bool waitUntilServed(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            lines.send("ctrl>Tavik.end Hello\n");
            for (;;) {
                const QByteArray raw = lines.readLine(1000);
                if (raw.isEmpty()) break;
                const ReceivedLine line = ReceivedLine::parse(raw);
                if (line.kind == ReceivedLine::Answer && line.cmd == "Hello") {
                    if (line.from == "Tavik.end") return true;
                    break; // the server's "Unknown node": not logged in yet
                }
            }
            QTest::qWait(50);
        }
        return false;
    }

    // Reads for a while; false when any answer arrived meanwhile.
    bool noAnswerWithin(int ms)
    {
        const int before = strays.size();
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            const QByteArray raw = lines.readLine(int(qMax<qint64>(1, deadline.remainingTime())));
            if (!raw.isEmpty()) strayIfAnswer(take(raw), raw);
        }
        return strays.size() == before;
    }

    // Until the event has arrived (it may have already); events are kept in arrival order.
    bool waitForEvent(const QString& event, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!events.contains(event) && !deadline.hasExpired()) {
            const QByteArray raw = lines.readLine(int(qMax<qint64>(1, deadline.remainingTime())));
            if (!raw.isEmpty()) strayIfAnswer(take(raw), raw);
        }
        return events.contains(event);
    }

    QStringList takeEvents()
    {
        QStringList taken;
        taken.swap(events);
        return taken;
    }

    QStringList events;
    QStringList strays; // answers that came when no request was waiting for one

private:
    ReceivedLine take(const QByteArray& raw)
    {
        const ReceivedLine line = ReceivedLine::parse(raw);
        if (line.kind == ReceivedLine::Event && line.from == "Tavik") events << line.text;
        return line;
    }

    void strayIfAnswer(const ReceivedLine& line, const QByteArray& raw)
    {
        if (line.kind == ReceivedLine::Answer) strays << QString::fromLatin1(raw).trimmed();
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

    // The server and the keys in the rig's folder; empty text when started.
    QString startServer()
    {
        if (!dir.isValid()) return "no temporary folder";
        for (const char* name : {"zephra.keys", "Tavik.key"})
            if (!writeTextFile(dir.filePath(name), keys)) return QString("cannot write %1").arg(name);
        server = std::make_unique<StandInServer>(standInConfig(dir.filePath("zephra.keys"), challenge));
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

    void stop()
    {
        if (tavik.state() != QProcess::NotRunning) {
            tavik.terminate();
            if (!tavik.waitForFinished(5000)) {
                tavik.kill();
                tavik.waitForFinished(5000);
            }
        }
        server.reset();
        emu.reset();
    }

    bool tavikRunning() const { return tavik.state() == QProcess::Running; }

    QString extraConfig;   // more configuration lines, each ending in a line break
    QStringList extraArgs; // more command-line options
    QTemporaryDir dir;
    std::unique_ptr<UnitEmulatorThread> emu;
    std::unique_ptr<StandInServer> server;
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
        if (d.size() < 8) return r;
        const auto* b = reinterpret_cast<const uchar*>(d.constData());
        r.write = b[1] == 0x80;
        r.length = b[3];
        r.address = qFromBigEndian<quint32>(b + 4);
        for (int i = 8; r.write && i < d.size(); ++i)
            r.value = r.value << 8 | b[i];
        return r;
    }
};

// The values written to one address, in order.
inline QVector<quint64> writesTo(const QList<QByteArray>& requests, quint32 address)
{
    QVector<quint64> values;
    for (const QByteArray& d : requests) {
        const UnitRequest r = UnitRequest::parse(d);
        if (r.write && r.address == address) values << r.value;
    }
    return values;
}

// The addresses read, in order.
inline QVector<quint32> readsOf(const QList<QByteArray>& requests)
{
    QVector<quint32> addresses;
    for (const QByteArray& d : requests) {
        const UnitRequest r = UnitRequest::parse(d);
        if (!r.write) addresses << r.address;
    }
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
    quint64 total = 0;
    for (int i = qMax(from, 0); i < qMin(below, bins.size()); ++i)
        total += bins.at(i);
    return total;
}

// Seconds as the program answers them: 6 significant digits.
inline QString secondsText(quint64 ticks)
{
    return QString::number(double(ticks) * 1e-8, 'g', 6);
}

// Pins a 48-bit time (3 words) or a 32-bit counter (2 words), most significant word first.
inline void pinWords(UnitEmulatorThread& emu, int unit, quint32 address, quint64 value, int words)
{
    for (int i = 0; i < words; ++i)
        emu.pinReg(unit, address + 2 * quint32(i), quint16(value >> (16 * (words - 1 - i))));
}

inline quint32 channelAddress(quint32 channel0Address, int ch)
{
    return channel0Address + UnitAddresses::channelStride * quint32(ch);
}
