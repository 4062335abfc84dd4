#include "config/ConfigText.h"

#include <QDebug>

QString stripComment(const QString& line)
{
    bool inQuotes = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            inQuotes = !inQuotes;
        else if (c == QLatin1Char('#') && !inQuotes)
            return line.left(i);
    }
    return line;
}

bool isBlankLine(const QString& line)
{
    return stripComment(line).simplified().isEmpty();
}

QString takeFirstItem(const QString& text, QString& item)
{
    int start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    if (start == text.size()) {
        item.clear();
        return QString();
    }

    if (text.at(start) == QLatin1Char('"')) {
        const int close = text.indexOf(QLatin1Char('"'), start + 1);
        if (close < 0) {
            qDebug().noquote()
                << QString("In a line [%1] item is started from quote but not ended by quote").arg(text);
            item = text.mid(start + 1);
            return QString();
        }
        item = text.mid(start + 1, close - start - 1);
        return text.mid(close + 1);
    }

    int end = start;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    item = text.mid(start, end - start);
    if (item.endsWith(QLatin1Char('"')))
        qDebug().noquote()
            << QString("In a line [%1] item is started from not quote but ended by quote").arg(text);
    return text.mid(end);
}

bool isFlagSet(const QString& value)
{
    return value.toInt(nullptr, 10) == 1;
}
