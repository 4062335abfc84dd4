#include "ControlConsole.h"

#include "DspUnit.h"
#include "EmulatedUnit.h"
#include "UnitAddresses.h"
#include "UnitEmulator.h"

#include <QRegularExpression>

#include <limits>

namespace {
const QStringList done{QStringLiteral("ok")};
}

bool ControlConsole::refuse(const QString& why)
{
    if (error_.isEmpty()) error_ = why;
    return false;
}

bool ControlConsole::wordCount(const QStringList& words, int n)
{
    return words.size() == n || refuse(QStringLiteral("%1 takes %2 arguments").arg(words.first()).arg(n - 1));
}

qint64 ControlConsole::number(const QString& text)
{
    // Decimal, or hexadecimal after 0x; a leading 0 does not mean octal.
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString digits = negative ? text.mid(1) : text;
    const bool hex = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    bool ok = false;
    qint64 v = hex ? digits.mid(2).toLongLong(&ok, 16) : digits.toLongLong(&ok, 10);
    v = negative ? -v : v;
    if (!ok) refuse(QStringLiteral("not a number: %1").arg(text));
    return v;
}

bool ControlConsole::onOff(const QString& text)
{
    if (text == QLatin1String("on")) return true;
    if (text != QLatin1String("off")) refuse(QStringLiteral("on or off expected: %1").arg(text));
    return false;
}

EmulatedUnit* ControlConsole::unit(const QString& text)
{
    EmulatedUnit* u = emulator_->unit(int(number(text)));
    if (!u) refuse(QStringLiteral("no unit %1").arg(text));
    return u;
}

DspUnit* ControlConsole::dspUnit(const QString& text)
{
    DspUnit* u = emulator_->dspUnit(int(number(text)));
    if (!u) refuse(QStringLiteral("no DSP unit %1").arg(text));
    return u;
}

int ControlConsole::channel(const QString& text)
{
    const qint64 ch = number(text);
    if (ch < 0 || ch >= UnitAddresses::channelCount) return refuse(QStringLiteral("no channel %1").arg(text));
    return int(ch);
}

QStringList ControlConsole::execute(const QString& line, bool* quit)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.trimmed().split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty()) return {};
    error_.clear();
    const QString& cmd = words.first();
    QStringList out = done;
    if (cmd == QLatin1String("quit")) {
        *quit = true;
    } else if (cmd == QLatin1String("fault")) {
        out = fault(words);
    } else if (cmd == QLatin1String("closetcp")) {
        DspUnit* u = wordCount(words, 2) ? dspUnit(words[1]) : nullptr;
        if (u) u->closeTcp();
    } else if (cmd == QLatin1String("set")) {
        EmulatedUnit* u = wordCount(words, 4) ? unit(words[1]) : nullptr;
        const qint64 address = u ? number(words[2]) : 0;
        const qint64 value = u ? number(words[3]) : 0;
        if (error_.isEmpty()) u->writeWord(quint32(address), quint16(value));
    } else if (cmd == QLatin1String("get")) {
        EmulatedUnit* u = wordCount(words, 3) ? unit(words[1]) : nullptr;
        const quint32 address = u ? quint32(number(words[2])) : 0;
        if (error_.isEmpty())
            out = QStringList{QStringLiteral("reg %1 0x%2 %3")
                                  .arg(words[1])
                                  .arg(address, 8, 16, QChar('0'))
                                  .arg(u->readWord(address))};
    } else if (cmd == QLatin1String("flat")) {
        DspUnit* u = wordCount(words, 4) ? dspUnit(words[1]) : nullptr;
        const int ch = u ? channel(words[2]) : 0;
        const qint64 count = u ? number(words[3]) : 0;
        if (error_.isEmpty())
            u->setHistogram(ch, QVector<quint32>(UnitAddresses::histogramBins, quint32(count)));
    } else if (cmd == QLatin1String("dump")) {
        DspUnit* u = wordCount(words, 3) ? dspUnit(words[1]) : nullptr;
        const int ch = u ? channel(words[2]) : 0;
        if (error_.isEmpty()) {
            QStringList parts{QStringLiteral("bins"), words[1], QString::number(ch)};
            for (quint32 b : u->histogram(ch))
                parts << QString::number(b);
            out = QStringList{parts.join(QLatin1Char(' '))};
        }
    } else {
        refuse(QStringLiteral("unknown command: %1").arg(cmd));
    }
    return error_.isEmpty() ? out : QStringList{QStringLiteral("error ") + error_};
}

QStringList ControlConsole::fault(const QStringList& words)
{
    if (words.size() < 4) {
        refuse(QStringLiteral("fault takes a unit, a switch and its setting"));
        return {};
    }
    EmulatedUnit* u = unit(words[1]);
    if (!u) return {};
    UnitFaults f = u->faults();
    const QString& what = words[2];
    if (what == QLatin1String("pieces")) {
        if (wordCount(words, 5)) {
            f.pieceBytes = int(qMax<qint64>(0, number(words[3])));
            f.pieceGapMs = int(qMax<qint64>(0, number(words[4])));
        }
    } else if (what == QLatin1String("lose")) {
        if (wordCount(words, 5)) {
            f.losePercent = int(qBound<qint64>(0, number(words[3]), 100));
            f.loseSeed = quint32(number(words[4]));
        }
    } else if (wordCount(words, 4)) {
        if (what == QLatin1String("noanswer"))
            f.noAnswer = onOff(words[3]);
        else if (what == QLatin1String("wrongaddress"))
            f.wrongAddress = onOff(words[3]);
        else if (what == QLatin1String("stray"))
            f.strayDatagram = onOff(words[3]);
        else if (what == QLatin1String("refusetcp"))
            f.refuseTcp = onOff(words[3]);
        else if (what == QLatin1String("emergency"))
            f.emergency = onOff(words[3]);
        else if (what == QLatin1String("closeafter"))
            f.closeAfterHistogram = onOff(words[3]);
        else if (what == QLatin1String("trailing"))
            f.trailingBytes = int(qBound<qint64>(0, number(words[3]), 65536));
        else if (what == QLatin1String("silentafter"))
            f.answersLeft = int(qBound<qint64>(-1, number(words[3]), std::numeric_limits<int>::max()));
        else if (what == QLatin1String("delay"))
            f.answerDelayMs = int(qMax<qint64>(0, number(words[3])));
        else if (what == QLatin1String("cut"))
            f.cutBytes = int(qMax<qint64>(-1, number(words[3])));
        else if (what == QLatin1String("extra"))
            f.extraAnswerBytes = int(qBound<qint64>(0, number(words[3]), 1024));
        else
            refuse(QStringLiteral("unknown fault: %1").arg(what));
    }
    if (error_.isEmpty()) u->setFaults(f);
    return done;
}
