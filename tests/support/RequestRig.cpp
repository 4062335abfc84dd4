#include "tests/support/RequestRig.h"

#include "process/ChildProcess.h"

#include <QTest>

QStringList RequestClient::answersTo(const QString& request, const QString& sub)
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

bool RequestClient::waitUntilServed(int timeoutMs)
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

bool RequestClient::noAnswerWithin(int ms)
{
    const int before = strays.size();
    for (QDeadlineTimer deadline(ms); !deadline.hasExpired();)
        next(deadline);
    return strays.size() == before;
}

bool RequestClient::waitForEvent(const QString& event, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!events.contains(event) && next(deadline).came) {
    }
    return events.contains(event);
}

RequestClient::Line RequestClient::next(const QDeadlineTimer& deadline, bool awaited)
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

QString TavikRig::startUnits(const QString& firstAddress, int count, bool hvUnit)
{
    QString error;
    emu = startEmulatedUnits(firstAddress, count, &error, hvUnit);
    return emu ? QString() : "units: " + error;
}

QString TavikRig::startWithUnits(const QString& firstAddress, const QStringList& channelFlags, bool hvUnit)
{
    const QString error = startUnits(firstAddress, channelFlags.size(), hvUnit);
    QStringList vexda;
    for (int i = 0; error.isEmpty() && i < channelFlags.size(); ++i)
        vexda << QString("dsp%1 %2 %3").arg(i + 1).arg(unitIp(i), channelFlags.at(i));
    return error.isEmpty() ? startTavik(vexda) : error;
}

QString TavikRig::startServer()
{
    if (!dir.isValid()) return "no temporary folder";
    for (const char* name : {"zephra.keys", "Tavik.key"})
        if (!writeTextFile(dir.filePath(name), keys)) return QString("cannot write %1").arg(name);
    server = std::make_unique<ZephraServerThread>(standInConfig(dir.filePath("zephra.keys"), challenge));
    if (!server->started) return "server: " + server->error;
    return ctrl.logIn(server->port, keyOfChallenge) ? QString() : "ctrl cannot log in";
}

QString TavikRig::configText(const QStringList& vexdaLines) const
{
    QString text = QString("ZEPHRA_IP 127.0.0.1\nZEPHRA_PORT %1\nCONNECT_TO_ZEPHRA 1\n").arg(server->port);
    if (emu) text += QString("VEX_UDP_PORT %1\nVEX_TCP_PORT %2\n").arg(emu->udpPort()).arg(emu->tcpPort());
    for (const QString& line : vexdaLines)
        text += "VEXDA " + line + '\n';
    return text + extraConfig;
}

QString TavikRig::startTavik(const QStringList& vexdaLines)
{
    const QString error = startServer();
    if (!error.isEmpty()) return error;
    if (!writeTextFile(dir.filePath("config.cfg"), configText(vexdaLines).toLatin1()))
        return "cannot write config.cfg";
    tavik.setWorkingDirectory(dir.path());
    tavik.setProcessChannelMode(QProcess::MergedChannels);
    tavik.start(builtProgram("../tavik", "TAVIK_EXE"),
                QStringList{"-platform", "offscreen", "-e"} + extraArgs);
    if (!tavik.waitForStarted(startMs)) return "tavik does not start: " + tavik.errorString();
    if (!ctrl.waitUntilServed(startMs))
        return "tavik does not answer: " + QString::fromLocal8Bit(tavik.readAll().right(2000));
    return QString();
}

void TavikRig::stop()
{
    stopProcess(tavik);
    server.reset();
    emu.reset();
}
