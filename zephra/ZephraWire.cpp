#include "zephra/ZephraWire.h"

#include "config/LocalFile.h"

#include <QFile>

namespace ZephraWire {

QString formatLine(const QString& from, const QString& fromSub, const QString& to, const QString& body)
{
    const QString source = fromSub.isEmpty() ? from : from + QLatin1Char('.') + fromSub;
    return QString("%1>%2 %3").arg(source, to, body);
}

QString answerBody(const QString& cmd, const QString& text)
{
    return QString("@%1 %2").arg(cmd, text);
}

QString askBody(const QString& cmd, const QString& params)
{
    return params.isEmpty() ? cmd : cmd + QLatin1Char(' ') + params;
}

QString notReady(const QString& line)
{
    return "Zephra is not ready (" + line + ")";
}

QByteArray encode(const QString& line)
{
    return (line + QLatin1Char('\n')).toLatin1();
}

QByteArray encodeAnswer(const QString& from, const QString& fromSub, const QString& to, const QString& cmd,
                        const QByteArray& text)
{
    QByteArray line;
    line.reserve(from.size() + fromSub.size() + to.size() + cmd.size() + text.size() + 6);
    line += from.toLatin1();
    if (!fromSub.isEmpty()) line += '.' + fromSub.toLatin1();
    line += '>' + to.toLatin1() + " @" + cmd.toLatin1() + ' ';
    line += text;
    line += '\n';
    return line;
}

QString decode(const QByteArray& raw)
{
    const int nul = raw.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? raw : raw.left(nul));
}

QString okPrefix(const QString& name)
{
    return QString("System>%1 Ok:").arg(name);
}

int challengeNumber(const QString& line)
{
    return line.trimmed().toInt(nullptr, 10);
}

int keyIndex(int challenge, int count)
{
    if (count <= 0) return -1;
    const int r = challenge % count;
    return r < 0 ? r + count : r;
}

QStringList readKeys(const QString& fileName, bool* opened)
{
    QStringList keys;
    QFile file(fileName);
    *opened = LocalFile::openRegular(file);
    bool tooLong = false, atEnd = !*opened;
    while (!atEnd) {
        const QByteArray line = LocalFile::readLine(file, maxKeyBytes, tooLong, atEnd);
        // A key cut short would be a wrong key: a line too long stays an empty one.
        if (!atEnd) keys << QString::fromUtf8(line).simplified();
    }
    return keys;
}

} // namespace ZephraWire
