#include "dsp/VexdaLine.h"

#include "config/ConfigText.h"

VexdaLine VexdaLine::parse(const QString& rest, int channelCount)
{
    VexdaLine line;
    QString left = takeFirstItem(rest, line.name);
    left = takeFirstItem(left, line.address);
    for (int c = 0; c < channelCount; ++c) {
        QString flag;
        left = takeFirstItem(left, flag);
        line.enabled.append(flag.toInt() == 1 ? 1 : 0);
    }
    return line;
}
