#include "config/LocalFile.h"

#include <QFileInfo>

namespace LocalFile {

bool openRegular(QFile& file)
{
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly | QIODevice::Text);
}

bool isReplaceable(const QString& name)
{
    const QFileInfo info(name);
    return !info.isSymLink() && (!info.exists() || info.isFile());
}

QByteArray readLine(QIODevice& in, int maxBytes, bool& tooLong, bool& atEnd, LongLine longLine)
{
    tooLong = false;
    atEnd = in.atEnd();
    if (atEnd) return QByteArray();
    // readLine stops one byte short of its size: room for a longest line and its end.
    QByteArray line = in.readLine(qint64(maxBytes) + 2);
    if (line.endsWith('\n')) {
        line.chop(1);
        return line;
    }
    if (line.size() <= maxBytes) return line; // the last line, without an end
    tooLong = true;
    while (!in.atEnd() && !in.readLine(qint64(maxBytes) + 2).endsWith('\n')) {
    }
    if (longLine == DropLongLine) return QByteArray();
    line.truncate(maxBytes);
    return line;
}

} // namespace LocalFile
