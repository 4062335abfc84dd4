#include "zephra/History.h"

#include "config/LocalFile.h"

#include <QFile>
#include <QTextStream>

namespace History {

void parse(const QStringList& lines, QString& host, QString& port)
{
    for (const QString& line : lines) {
        const QStringList parts = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() < 2) continue;
        if (parts[0].compare(QLatin1String("A:"), Qt::CaseInsensitive) == 0)
            host = parts[1];
        else if (parts[0].compare(QLatin1String("P:"), Qt::CaseInsensitive) == 0)
            port = parts[1];
    }
}

void read(QString& host, QString& port)
{
    QFile file(fileName);
    if (!LocalFile::openRegular(file)) return;
    host.clear();
    port.clear();
    QStringList lines;
    bool tooLong = false, atEnd = false;
    while (!atEnd) {
        const QByteArray line = LocalFile::readLine(file, maxLineBytes, tooLong, atEnd);
        if (!atEnd && !tooLong) lines << QString::fromUtf8(line);
    }
    parse(lines, host, port);
}

void append(const QString& text)
{
    QFile file(fileName);
    if (!file.open(QIODevice::Append | QIODevice::Text)) return;
    QTextStream(&file) << text;
}

} // namespace History
