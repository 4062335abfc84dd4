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
    return text.mid(takeItemAt(text, 0, item));
}

int takeItemAt(const QString& text, int from, QString& item)
{
    int start = from;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    if (start >= text.size()) {
        item.clear();
        return text.size();
    }

    if (text.at(start) == QLatin1Char('"')) {
        const int close = text.indexOf(QLatin1Char('"'), start + 1);
        if (close < 0) {
            qDebug().noquote() << QString("In a line [%1] item is started from quote but not ended by quote")
                                      .arg(clipForLog(text));
            item = text.mid(start + 1);
            return text.size();
        }
        item = text.mid(start + 1, close - start - 1);
        return close + 1;
    }

    int end = start;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    item = text.mid(start, end - start);
    if (item.endsWith(QLatin1Char('"')))
        qDebug().noquote() << QString("In a line [%1] item is started from not quote but ended by quote")
                                  .arg(clipForLog(text));
    return end;
}

QStringList splitItems(const QString& text)
{
    QStringList items;
    QString item;
    for (int at = 0; at < text.size();) {
        at = takeItemAt(text, at, item);
        items << item;
    }
    return items;
}

QString clipForLog(const QString& text)
{
    if (text.size() <= logTextLimit) return text;
    return text.left(logTextLimit) + QString("... [%1 more characters]").arg(text.size() - logTextLimit);
}

bool isFlagSet(const QString& value)
{
    return value.toInt(nullptr, 10) == 1;
}
