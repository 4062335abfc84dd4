#include "config/ConfigStore.h"

#include "config/ConfigText.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>

ConfigStore configStore;

void ConfigStore::parseCommandLine(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        const QString arg = QString::fromUtf8(argv[i]);
        if (!arg.startsWith(QLatin1Char('-'))) continue;
        QString value;
        if (i + 1 < argc && argv[i + 1][0] != '-') {
            value = QString::fromUtf8(argv[i + 1]);
            ++i;
        }
        add(arg, value, value);
    }
}

void ConfigStore::readFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can't open config file : " << fileName;
        return;
    }
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        line = stripComment(line);
        if (isBlankLine(line)) continue;
        QString key;
        QString firstItem;
        const QString rest = takeFirstItem(line, key);
        takeFirstItem(rest, firstItem);
        add(key, firstItem, rest);
    }
    file.close();
}

void ConfigStore::add(const QString& key, const QString& firstItem, const QString& rest)
{
    const QString upperKey = key.toUpper();
    if (!exact.keys.contains(key)) {
        exact.keys << key;
        exact.firstItems << firstItem;
        exact.rests << rest;
    }
    if (!upper.keys.contains(upperKey)) {
        upper.keys << upperKey;
        upper.firstItems << firstItem;
        upper.rests << rest;
    }
    complete.keys << key;
    completeUpperKeys << upperKey;
    complete.firstItems << firstItem;
    complete.rests << rest;
}

bool ConfigStore::contains(const QString& key) const
{
    return exact.keys.contains(key);
}

QString ConfigStore::exactValue(const QString& key) const
{
    const int i = exact.keys.indexOf(key);
    return i < 0 ? QString() : exact.firstItems.at(i);
}

QString ConfigStore::value(const QString& key, const QString& defaultValue) const
{
    const int i = upper.keys.indexOf(key.toUpper());
    return i < 0 ? defaultValue : upper.firstItems.at(i);
}

QString ConfigStore::rest(const QString& key, const QString& defaultValue) const
{
    const int i = upper.keys.indexOf(key.toUpper());
    return i < 0 ? defaultValue : upper.rests.at(i);
}

QStringList ConfigStore::allRests(const QString& key) const
{
    const QString upperKey = key.toUpper();
    QStringList result;
    for (int i = 0; i < completeUpperKeys.size(); ++i)
        if (completeUpperKeys.at(i) == upperKey) result << complete.rests.at(i);
    return result;
}
