#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QIODevice;

// The process-wide store of configuration entries: command-line options first, then the
// lines of the configuration file. The first entry of a key wins every lookup but allRests.
class ConfigStore
{
public:
    // Longer lines of the file are skipped with a diagnostic; no setting needs a tenth of it.
    static constexpr int maxLineBytes = 64 * 1024;

    void parseCommandLine(int argc, char** argv);
    void readFile(const QString& fileName);
    // The lines of an open device, as readFile reads those of the file.
    void read(QIODevice& file);
    void add(const QString& key, const QString& firstItem, const QString& rest);

    bool contains(const QString& key) const;
    QString exactValue(const QString& key) const;
    QString value(const QString& key, const QString& defaultValue) const;
    QString rest(const QString& key, const QString& defaultValue) const;
    QStringList allRests(const QString& key) const;

private:
    struct View
    {
        QStringList keys;
        QStringList firstItems;
        QStringList rests;
        QHash<QString, int> indexOf; // the first entry of each key, so lookups need no scan
    };
    static void addFirst(View& view, const QString& key, const QString& firstItem, const QString& rest);
    View exact;    // keys as written, compared case-sensitively
    View upper;    // upper-cased keys
    View complete; // every entry, keys as written
    QStringList completeUpperKeys;
};

extern ConfigStore configStore;
