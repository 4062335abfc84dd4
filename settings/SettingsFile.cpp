#include "settings/SettingsFile.h"

#include "config/LocalFile.h"
#include "dsp/DspReg.h"

#include <QIODevice>
#include <QStringList>

QString padRight(const QString& text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

quint32 hexValue(const QString& text)
{
    quint32 value = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        quint32 digit = 0;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        value = value * 16 + digit;
    }
    return value;
}

QString labelAt(quint32 address, int channel)
{
    QString label;
    if (channel < channelOffsets.size()) {
        const quint32 base = channel >= 0 ? address - quint32(channelOffsets.at(channel)) : address;
        for (const DspReg& reg : allRegs)
            if (reg.regAddress == base) {
                label = reg.label;
                break;
            }
    }
    return padRight(label, labelWidth);
}

QString settingsLine(const DspData& record)
{
    const QLatin1Char zero('0');
    return QString("%1 %2%3 : %4 %5 %6\n")
        .arg(QString("DSP%1").arg(record.dspIndex),
             record.channel >= 0 ? QString("Ch%1 ").arg(record.channel) : QString(), record.label,
             QString("%1").arg(record.header, 8, 16, zero), QString("%1").arg(record.address, 8, 16, zero),
             QString("%1").arg(record.regValue, 4, 16, zero));
}

bool parseSettingsLine(const QString& line, DspData& record)
{
    const QString simple = line.simplified();
    if (simple.isEmpty() || simple.startsWith(QLatin1Char('#'))) return false;
    const QStringList items = simple.split(QLatin1Char(' '));
    const int n = items.size();
    record = DspData();
    record.dspIndex = items.at(0).mid(3).toInt(nullptr, 10);
    if (n >= 2 && items.at(1).left(2).toUpper() == QLatin1String("CH"))
        record.channel = items.at(1).mid(2).toInt(nullptr, 10);
    record.regValue = hexValue(items.at(n - 1));
    if (n >= 2) record.address = hexValue(items.at(n - 2));
    if (n >= 3) record.header = hexValue(items.at(n - 3));
    record.label = labelAt(record.address, record.channel);
    return true;
}

SettingsReadCounts readSettings(QIODevice& file, QVector<DspData>& config)
{
    SettingsReadCounts counts;
    bool cut = false, atEnd = false;
    for (int lineNo = 1;; ++lineNo) {
        const QByteArray line =
            LocalFile::readLine(file, maxSettingsLineLength, cut, atEnd, LocalFile::CutLongLine);
        if (atEnd) break;
        if (lineNo > maxSettingsLines) {
            counts.leftOver = true;
            break;
        }
        if (cut) ++counts.cutLines;
        DspData record;
        if (!parseSettingsLine(QString::fromUtf8(line), record)) continue;
        record.fileLine = lineNo;
        config.append(record);
    }
    return counts;
}

void writeSettings(QIODevice& file, const QVector<DspData>& config)
{
    for (const DspData& record : config)
        file.write(settingsLine(record).toUtf8());
}
