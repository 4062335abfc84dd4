#pragma once

#include <QByteArray>
#include <QString>

// A VEXDA configuration line after its key: the unit's name, its IPv4 address and one flag
// per channel; a flag enables its channel when it reads as the integer 1.
struct VexdaLine
{
    QString name;
    QString address;
    QByteArray enabled; // 1 or 0 per channel, channelCount entries

    static VexdaLine parse(const QString& rest, int channelCount);
};
