#include "config/ConfigStore.h"

#include "config/ConfigText.h"
#include "config/LocalFile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

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
    // A device or a pipe may never end: only a regular file is read.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        qDebug() << "Config file is not a regular file, not read : " << fileName;
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can't open config file : " << fileName;
        return;
    }
    read(file);
}

void ConfigStore::read(QIODevice& file)
{
    bool tooLong = false, atEnd = false;
    for (int lineNumber = 1;; ++lineNumber) {
        const QByteArray raw = LocalFile::readLine(file, maxLineBytes, tooLong, atEnd);
        if (atEnd) break;
        if (tooLong) {
            qDebug() << "Config line" << lineNumber << "is longer than" << maxLineBytes << "bytes: skipped";
            continue;
        }
        const QString line = stripComment(QString::fromLocal8Bit(raw));
        if (isBlankLine(line)) continue;
        QString key;
        QString firstItem;
        const QString rest = takeFirstItem(line, key);
        takeFirstItem(rest, firstItem);
        add(key, firstItem, rest);
    }
}

void ConfigStore::addFirst(View& view, const QString& key, const QString& firstItem, const QString& rest)
{
    if (view.indexOf.contains(key)) return;
    view.indexOf.insert(key, view.keys.size());
    view.keys << key;
    view.firstItems << firstItem;
    view.rests << rest;
}

void ConfigStore::add(const QString& key, const QString& firstItem, const QString& rest)
{
    const QString upperKey = key.toUpper();
    addFirst(exact, key, firstItem, rest);
    addFirst(upper, upperKey, firstItem, rest);
    complete.keys << key;
    completeUpperKeys << upperKey;
    complete.firstItems << firstItem;
    complete.rests << rest;
}

bool ConfigStore::contains(const QString& key) const
{
    return exact.indexOf.contains(key);
}

QString ConfigStore::exactValue(const QString& key) const
{
    const int i = exact.indexOf.value(key, -1);
    return i < 0 ? QString() : exact.firstItems.at(i);
}

QString ConfigStore::value(const QString& key, const QString& defaultValue) const
{
    const int i = upper.indexOf.value(key.toUpper(), -1);
    return i < 0 ? defaultValue : upper.firstItems.at(i);
}

QString ConfigStore::rest(const QString& key, const QString& defaultValue) const
{
    const int i = upper.indexOf.value(key.toUpper(), -1);
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
