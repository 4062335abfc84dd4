#pragma once

#include <QString>

// Which files a run or a transfer is written as: the consumer's CSV and PNG, an N42 document,
// one SPE file per element.
struct SpectrumFormats
{
    bool csv = true;
    bool png = true;
    bool n42 = true;
    bool spe = true;

    // A list such as "csv,png,n42,spe" (any order and case, blanks allowed). False, with the
    // formats unchanged and `error` naming the fault, for an unknown or no name.
    static bool parse(const QString& list, SpectrumFormats* formats, QString* error);
};
