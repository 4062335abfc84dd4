#include "zephra/Zephra.h"

#include "config/ConfigText.h"
#include "zephra/ConnectStat.h"
#include "zephra/History.h"
#include "zephra/WriteAtOnce.h"
#include "zephra/ZephraWire.h"

#include <QFileInfo>
#include <QMetaMethod>
#include <QRandomGenerator>
#include <QTcpSocket>

Zephra::Zephra(QWidget* parent) : QFrame(parent), sndLogColor(0, 200, 120)
{
    qRegisterMetaType<AMsg>("AMsg");
    ui.setupUi(this);

    registerCommands();

    connectStat = new ConnectStat;
    connectStat->setWidgets(ui.statusL, ui.connectB);
    connectStat->setState(ConnectStat::Disconnected);
    connect(connectStat, &ConnectStat::askConnect, this, &Zephra::connectToZephra);
    connect(connectStat, &ConnectStat::askDisconnect, this, &Zephra::connectToZephra);

    socket = new QTcpSocket;
    connect(socket, &QTcpSocket::connected, this, &Zephra::connectedToZephra);
    connect(socket, &QTcpSocket::disconnected, this, &Zephra::disconnectedFromZephra);
    connect(socket, &QTcpSocket::readyRead, this, &Zephra::receive);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this]() { Q_EMIT vlog(QString("zephra socket: %1").arg(socket->errorString())); });
    // The one place every attempt and connection ends, whether it was made or not.
    connect(socket, &QTcpSocket::stateChanged, this, &Zephra::socketStateChanged);

    retryTimer.setSingleShot(true);
    attemptTimer.setSingleShot(true);
    connect(&retryTimer, &QTimer::timeout, this, &Zephra::attempt);
    // A server that never completes the connection or the log-in would hold it for minutes.
    connect(&attemptTimer, &QTimer::timeout, this, [this]() {
        endReason = tr("no log-in within %1 s").arg(timing.attemptMs / 1000.0);
        socket->abort();
    });

    connect(ui.hostLE, &QLineEdit::editingFinished, this, &Zephra::newHost);
    connect(ui.portLE, &QLineEdit::editingFinished, this, &Zephra::newPort);
}

Zephra::~Zephra()
{
    // Closed here rather than from destroyed(): by then this object is no Zephra any more.
    socket->disconnect(this);
    closeConnection();
    socket->deleteLater();
    connectStat->deleteLater();
}

void Zephra::setRetryTiming(const RetryTiming& t)
{
    timing = t;
}

void Zephra::setFields(const QString& host, const QString& port, const QString& name, const QString& keyFile)
{
    ui.hostLE->setText(host);
    ui.portLE->setText(port);
    ui.nameOnZephraLE->setText(name);
    ui.keyFileLE->setText(keyFile);
}

bool Zephra::loggedIn() const
{
    return connectStat->currentState() == ConnectStat::Connected;
}

QString Zephra::sendLine(const QString& from, const QString& fromSub, const QString& to, const QString& body)
{
    const QString line = ZephraWire::formatLine(from, fromSub, to, body);
    if (!loggedIn()) return ZephraWire::notReady(line);
    // Out now: a handler may go on waiting for units.
    writeAtOnce(*socket, ZephraWire::encode(line));
    if (logSendingMsg) Q_EMIT log(QString("---- Snd %1").arg(clipForLog(line)), sndLogColor);
    return line;
}

QString Zephra::sendFrom(const QString& sub, const QString& to, const QString& body)
{
    return sendLine(ui.nameOnZephraLE->text(), sub, to, body);
}

void Zephra::sendAnswer(const AMsg& msg, const QString& text)
{
    Q_EMIT sendingAnsToZephra(
        sendLine(msg.toNode, msg.toSub, msg.from, ZephraWire::answerBody(msg.cmd, text)));
}

// The line goes out from one buffer; its text, a copy as long, is made only for whoever
// logs or listens to it.
void Zephra::sendLatin1Answer(const AMsg& msg, const QByteArray& latin1Text)
{
    static const QMetaMethod answerSignal = QMetaMethod::fromSignal(&Zephra::sendingAnsToZephra);
    const bool listened = isSignalConnected(answerSignal);
    if (!loggedIn() || logSendingMsg || listened) {
        sendAnswer(msg, QString::fromLatin1(latin1Text));
        return;
    }
    writeAtOnce(*socket, ZephraWire::encodeAnswer(msg.toNode, msg.toSub, msg.from, msg.cmd, latin1Text));
}

void Zephra::sendEvent(const QString& sub, const QString& event)
{
    Q_EMIT sendingEventToZephra(sendFrom(sub, ZephraWire::systemNode, "_" + event));
}

void Zephra::sendAsk(const QString& sub, const QString& to, const QString& cmd, const QString& params)
{
    Q_EMIT sendingAskToZephra(sendFrom(sub, to, ZephraWire::askBody(cmd, params)));
}

void Zephra::registerCommands()
{
    for (const Command& c : CommandTable::tavikCommands())
        addCommand(c.id, c.name, c.help);
}

void Zephra::addCommand(int id, const QString& name, const QString& help)
{
    commands.addCommand(id, name, help);
}

int Zephra::idOf(const QString& name) const
{
    return commands.idOf(name);
}

QString Zephra::helpOf(const QString& name) const
{
    return commands.helpOf(name);
}

QString Zephra::commandList() const
{
    return commands.commandList();
}

void Zephra::dispatch(const QString& line)
{
    AMsg msg;
    msg.parse(line);
    msg.id = idOf(msg.cmd);
    if (!msg.valid) return;

    switch (msg.id) {
    case CmdHelp:
        answerHelp(msg);
        return;
    case CmdHello:
        sendAnswer(msg, CommandTable::helloText(ui.nameOnZephraLE->text()));
        return;
    case CmdIsBusy:
        sendAnswer(msg, QString::number(isBusy ? 1 : 0));
        return;
    default:
        break;
    }

    switch (msg.type) {
    case AMsg::Ans:
        Q_EMIT anyAns(msg);
        break;
    case AMsg::Event:
        Q_EMIT anyEvent(msg);
        break;
    case AMsg::Ask:
        Q_EMIT anyAsk(msg);
        break;
    default:
        break;
    }
}

void Zephra::answerHelp(const AMsg& msg)
{
    sendAnswer(msg, commands.helpText(msg.params));
}

void Zephra::connectToZephra()
{
    if (loggedIn() || retrying) {
        stopConnecting();
        return;
    }
    // A connection already under way (or open, awaiting the log-in) is left to finish.
    if (keepConnected || socket->state() != QAbstractSocket::UnconnectedState) return;
    keepConnected = true;
    failures = 0;
    lastTrouble.clear();
    attempt();
}

void Zephra::attempt()
{
    endReason.clear();
    received.clear();
    attemptTimer.start(timing.attemptMs);
    const quint16 port = static_cast<quint16>(ui.portLE->text().toInt(nullptr, 10));
    socket->connectToHost(ui.hostLE->text(), port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

// The operator's Disconnect: of the log-in, or of the attempts to get one.
void Zephra::stopConnecting()
{
    const bool wasRetrying = retrying;
    keepConnected = false;
    retrying = false;
    retryTimer.stop();
    attemptTimer.stop();
    socket->close();
    connectStat->setState(ConnectStat::Disconnected);
    if (wasRetrying) Q_EMIT log(tr("Stopped connecting to Zephra"));
}

void Zephra::socketStateChanged(QAbstractSocket::SocketState state)
{
    if (state != QAbstractSocket::UnconnectedState) return;
    attemptTimer.stop();
    received.clear();
    const bool wasLoggedIn = loggedIn();
    if (!keepConnected) {
        connectStat->setState(ConnectStat::Disconnected);
        return;
    }
    const QString why = endReason.isEmpty() ? socket->errorString() : endReason;
    if (wasLoggedIn) {
        // A log-in that ends soon after it began does not start the waits from the first again.
        if (loggedInFor.hasExpired(timing.lastMs)) failures = 0;
        Q_EMIT log(tr("Lost the connection to Zephra (%1); connecting again by itself").arg(why),
                   QColor(255, 0, 0));
        lastTrouble.clear();
    } else if (why != lastTrouble) {
        Q_EMIT log(tr("Cannot log in to Zephra at %1:%2 (%3); trying again by itself")
                       .arg(clipForLog(ui.hostLE->text()), clipForLog(ui.portLE->text()), why),
                   QColor(255, 0, 0));
        lastTrouble = why;
    }
    retrying = true;
    connectStat->setState(ConnectStat::Retrying);
    retryTimer.start(RetryDelay::waitMs(failures, QRandomGenerator::global()->generateDouble(),
                                        timing.firstMs, timing.lastMs));
    failures = qMin(failures + 1, 64);
}

void Zephra::setBusy(bool f)
{
    if (f == isBusy) return;
    sendEvent(QString(), QString("ChangedIsBusy %1").arg(f ? 1 : 0));
    isBusy = f;
}

bool Zephra::busy()
{
    return isBusy;
}

void Zephra::setLogSendingMsg(bool f)
{
    logSendingMsg = f;
}

void Zephra::connectedToZephra()
{
    // Answers to two clients follow each other closely; held back until the server
    // acknowledges the first, the second would wait for its delayed acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // The server speaks first: its challenge arrives through receive().
}

// The state has already been set when the socket became unconnected.
void Zephra::disconnectedFromZephra()
{
    Q_EMIT zephraIsNotReady();
}

void Zephra::closeConnection()
{
    socket->close();
}

void Zephra::receive()
{
    // readAll() grows its result in 16 KiB steps and shrinks it again: two reallocations
    // and copies per request line. What is there is known.
    received.append(socket->read(socket->bytesAvailable()));
    QByteArray raw;
    while (received.takeLine(raw)) {
        const QString line = ZephraWire::decode(raw);
        Q_EMIT vlog(QString("msg from zephra[%1]").arg(clipForLog(line).simplified()));
        switch (connectStat->currentState()) {
        case ConnectStat::Disconnected:
        case ConnectStat::Retrying:
            sendKey(line);
            connectStat->setState(ConnectStat::Connecting);
            break;
        case ConnectStat::Connecting:
            if (!line.startsWith(ZephraWire::okPrefix(ui.nameOnZephraLE->text()))) {
                endReason = tr("log-in refused: %1").arg(clipForLog(line.trimmed()));
                received.clear();
                socket->disconnectFromHost();
                return; // whatever else is buffered belongs to a refused log-in
            }
            attemptTimer.stop();
            retrying = false;
            lastTrouble.clear();
            loggedInFor.start();
            connectStat->setState(ConnectStat::Connected);
            Q_EMIT zephraIsReady();
            Q_EMIT log("Connected To Zephra");
            break;
        case ConnectStat::Connected:
            dispatch(line);
            break;
        default:
            break;
        }
    }
    // After the lines: an over-long line that arrived whole is found only when it is taken.
    if (const int dropped = received.takeDroppedLines())
        Q_EMIT log(QString("Er: %1 line(s) from Zephra longer than %2 bytes dropped")
                       .arg(dropped)
                       .arg(LineBuffer::maxLineBytes),
                   QColor(255, 0, 0));
}

void Zephra::sendKey(const QString& challenge)
{
    loadKeys();
    if (keys.isEmpty()) {
        logInStep("I have no key to exchange with Zephra.");
        return;
    }
    const QString name = ui.nameOnZephraLE->text();
    const QString key = keys.at(ZephraWire::keyIndex(ZephraWire::challengeNumber(challenge), keys.size()));
    socket->write(QString("%1 %2\n").arg(name, key).toLatin1());
    logInStep(QString("sending key [%1][%2]").arg(clipForLog(name), clipForLog(key)));
}

void Zephra::loadKeys()
{
    keys.clear();
    const QString path = QFileInfo(ui.keyFileLE->text()).absoluteFilePath();
    logInStep(QString("opening key file [%1]").arg(clipForLog(path)));
    bool opened = false;
    keys = ZephraWire::readKeys(ui.keyFileLE->text(), &opened);
    if (!opened) logInStep(QString("Can't open key file [%1]").arg(clipForLog(path)));
}

// While retrying, the steps of each attempt go to the verbose log only: one line per change
// of the connection's state, not several per attempt.
void Zephra::logInStep(const QString& text)
{
    if (retrying)
        Q_EMIT vlog(text);
    else
        Q_EMIT log(text);
}

void Zephra::newHost()
{
    QString host, port;
    History::read(host, port);
    if (ui.hostLE->text() != host) History::append(QString("A: %1\n").arg(ui.hostLE->text()));
}

void Zephra::newPort()
{
    QString host, port;
    History::read(host, port);
    if (ui.portLE->text() != port) History::append(QString("P: %1\n").arg(ui.portLE->text()));
}
