#include "analysis/CalibrationFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtMath>

namespace Analysis::CalibrationFile {

namespace {

constexpr int maxQuoted = 40; // of an item quoted in an error

QString quoted(const QByteArray& item)
{
    const QString text = QString::fromUtf8(item.left(maxQuoted));
    return "\"" + text + (item.size() > maxQuoted ? "...\"" : "\"");
}

// One line without its comment; false with `error` when it is no calibration line.
bool parseLine(const QByteArray& line, int binCount, int* element, Calibration* cal, QString* error)
{
    const QList<QByteArray> items = line.simplified().split(' ');
    if (items.size() < 3 || items.size() > 4) {
        *error = QStringLiteral("expected an element number, offset, gain and an optional quadratic term, "
                                "found %1 items")
                     .arg(items.size());
        return false;
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    *element = c.toInt(QString::fromLatin1(items.at(0)), &ok);
    if (!ok || *element < 0 || *element > maxElement) {
        *error =
            QStringLiteral("element %1 is no number from 0 to %2").arg(quoted(items.at(0))).arg(maxElement);
        return false;
    }
    const char* names[3] = {"offset", "gain", "quadratic term"};
    double terms[3] = {0, 0, 0};
    for (int k = 1; k < items.size(); ++k) {
        terms[k - 1] = c.toDouble(QString::fromLatin1(items.at(k)), &ok);
        if (!ok || !qIsFinite(terms[k - 1])) {
            *error = QStringLiteral("%1 %2 is not a number").arg(names[k - 1], quoted(items.at(k)));
            return false;
        }
    }
    *cal = Calibration{terms[0], terms[1], terms[2]};
    if (!cal->risesOver(binCount)) {
        *error = QStringLiteral("the energy does not rise over the %1 channels").arg(binCount);
        return false;
    }
    return true;
}

} // namespace

bool parse(const QByteArray& text, int binCount, CalibrationTable* table, QString* error)
{
    CalibrationTable read;
    QMap<int, int> lineOf;
    const QList<QByteArray> lines = text.split('\n');
    for (int k = 0; k < lines.size(); ++k) {
        const int hash = lines.at(k).indexOf('#');
        const QByteArray line = hash < 0 ? lines.at(k) : lines.at(k).left(hash);
        if (line.trimmed().isEmpty()) continue;
        int element = 0;
        Calibration cal;
        QString why;
        if (parseLine(line, binCount, &element, &cal, &why)) {
            if (!lineOf.contains(element)) {
                read.insert(element, cal);
                lineOf.insert(element, k + 1);
                continue;
            }
            why =
                QStringLiteral("element %1 again, first on line %2").arg(element).arg(lineOf.value(element));
        }
        *error = QStringLiteral("line %1: %2").arg(k + 1).arg(why);
        return false;
    }
    *table = read;
    return true;
}

bool read(const QString& path, int binCount, CalibrationTable* table, QString* error)
{
    QFile file(path);
    QString why;
    QByteArray text;
    if (!QFileInfo(path).isFile())
        why = QStringLiteral("no regular file");
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if ((text = file.read(maxBytes + 1)).size() > maxBytes)
        why = QStringLiteral("larger than %1 bytes").arg(maxBytes);
    else if (parse(text, binCount, table, &why))
        return true;
    *error = path + ": " + why;
    return false;
}

} // namespace Analysis::CalibrationFile
