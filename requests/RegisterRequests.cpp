#include "app/Body.h"

#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "requests/RequestText.h"
#include "zephra/Zephra.h"

namespace {
constexpr int noChannel = -1;

QString registerAnswer(const QString& key, int ch, quint64 v)
{
    const QString hex = QString::number(v, 16);
    if (ch == noChannel) return QString("%1 %2 0x%3").arg(key).arg(v).arg(hex);
    return QString("%1 %2 %3 0x%4").arg(key).arg(ch).arg(v).arg(hex);
}
} // namespace

// Steps shared by Status and SetConfig: the unit, the channel and the address. Returns
// false when the request was refused (and answered).
bool Body::resolveRegisterRequest(const AMsg& msg, int channelFromParams, VexDA*& unit, int& ch,
                                  quint32& address)
{
    unit = unitOfSubAddress(msg);
    if (!unit) return false;
    ch =
        msg.params.size() >= channelFromParams ? clampChannel(paramAt(msg, 1).toInt(nullptr, 10)) : noChannel;
    const QString key = paramAt(msg, 0);
    address = resolveRegAddress(key, ch);
    if (address == 0) {
        zephra->sendAnswer(msg, QString("Er: No Status [%1]").arg(key));
        return false;
    }
    return true;
}

void Body::askStatus(AMsg msg)
{
    VexDA* unit;
    int ch;
    quint32 address;
    if (!resolveRegisterRequest(msg, 2, unit, ch, address)) return;
    bool answered;
    const quint64 value = unit->readValue(address, 2, &answered);
    if (!answered) Q_EMIT log(QString("Er: asking status to answer a request from zephra %1").arg(msg.cmd));
    zephra->sendAnswer(msg, registerAnswer(paramAt(msg, 0), ch, value));
}

void Body::askSetConfig(AMsg msg)
{
    VexDA* unit;
    int ch;
    quint32 address;
    if (!resolveRegisterRequest(msg, 3, unit, ch, address)) return;
    const quint16 value = registerValueFromText(paramAt(msg, ch == noChannel ? 1 : 2));
    if (!unit->writeRegister(address, value, true, 2))
        Q_EMIT log(QString("Er: setting config on a request from zephra %1").arg(msg.cmd));
    // The answer to a write carries the register as it is after the write.
    zephra->sendAnswer(msg, registerAnswer(paramAt(msg, 0), ch, unit->lastValue));
}
