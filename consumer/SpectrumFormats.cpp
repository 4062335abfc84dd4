#include "consumer/SpectrumFormats.h"

#include <QStringList>

bool SpectrumFormats::parse(const QString& list, SpectrumFormats* formats, QString* error)
{
    SpectrumFormats chosen{false, false, false, false};
    for (const QString& item : list.split(',')) {
        const QString name = item.trimmed().toLower();
        bool* flag = name == "csv"   ? &chosen.csv
                     : name == "png" ? &chosen.png
                     : name == "n42" ? &chosen.n42
                     : name == "spe" ? &chosen.spe
                                     : nullptr;
        if (!flag) {
            *error = (name.isEmpty() ? QString("a format missing in \"%1\"").arg(list.left(40))
                                     : QString("unknown format \"%1\"").arg(item.trimmed().left(40))) +
                     ": the formats are csv, png, n42 and spe";
            return false;
        }
        *flag = true;
    }
    *formats = chosen;
    return true;
}
