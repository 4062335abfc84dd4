#include "consumer/McaCsvReader.h"

#include "consumer/SpectrumParse.h"

namespace {

const char* const headRows[] = {"channel",     "offset 4",    "busy", "bin count",
                                "real time s", "live time s", "icr"};
constexpr int headRowCount = int(sizeof headRows / sizeof *headRows);

QString lineError(int number, const QString& what)
{
    return QString("line %1: %2").arg(number).arg(what);
}

} // namespace

SpectrumRead readMcaCsv(const QByteArray& bytes)
{
    if (bytes.size() > SpectrumLimits::maxFileBytes)
        return {SpectrumRun(),
                QString("%1 bytes, more than %2").arg(bytes.size()).arg(SpectrumLimits::maxFileBytes)};
    SpectrumRun run;
    QVector<quint64> binCounts;
    int columns = -1, row = 0, number = 0;
    for (int from = 0; from < bytes.size();) {
        int to = bytes.indexOf('\n', from);
        if (to < 0) to = bytes.size();
        const int end = to > from && bytes.at(to - 1) == '\r' ? to - 1 : to;
        const QByteArray raw = bytes.mid(from, end - from);
        from = to + 1;
        ++number;
        if (raw.isEmpty()) continue;
        if (columns < 0) {
            columns = raw.count(',');
            if (columns < 1 || columns > SpectrumLimits::maxElements)
                return {
                    SpectrumRun(),
                    lineError(number, QString("1 to %1 elements expected").arg(SpectrumLimits::maxElements))};
            const QList<QByteArray> names = raw.split(',');
            for (int k = 0; k <= columns; ++k)
                if (names.at(k) != (k == 0 ? QByteArray("field") : "element " + QByteArray::number(k - 1)))
                    return {SpectrumRun(),
                            lineError(number,
                                      "column " + QString::number(k + 1) + " is not " +
                                          (k == 0 ? QString("field") : QString("element %1").arg(k - 1)))};
            run.elements.resize(columns);
            for (int k = 0; k < columns; ++k)
                run.elements[k].element = k;
            binCounts.resize(columns);
            continue;
        }
        if (raw.count(',') != columns)
            return {SpectrumRun(), lineError(number, QString("%1 values expected").arg(columns + 1))};
        const QString line = QString::fromLatin1(raw.constData(), raw.size()); // NUL bytes too
        const QVector<QStringRef> cells = line.splitRef(',');
        const int bin = row - headRowCount;
        if (bin < 0 ? cells.at(0) != QLatin1String(headRows[row]) : cells.at(0) != QString::number(bin))
            return {SpectrumRun(),
                    lineError(number, "row " + SpectrumParse::quoted(cells.at(0)) + " where " +
                                          (bin < 0 ? QString(headRows[row]) : QString::number(bin)) +
                                          " belongs")};
        if (bin >= SpectrumLimits::maxChannels)
            return {SpectrumRun(),
                    lineError(number, QString("more than %1 bins").arg(SpectrumLimits::maxChannels))};
        for (int k = 0; k < columns; ++k) {
            SpectrumElement& e = run.elements[k];
            const QStringRef& cell = cells.at(k + 1);
            bool ok = true;
            quint32 word = 0;
            if (bin >= 0 || row < 2) ok = SpectrumParse::count(cell, &word);
            if (bin >= 0)
                e.counts << word;
            else if (row == 0)
                e.channel = int(word);
            else if (row == 1 && k == 1)
                run.measurement = word;
            else if (row == 2)
                cell.toULongLong(&ok); // busy: not kept
            else if (row == 3)
                binCounts[k] = cell.toULongLong(&ok);
            else if (row == 4)
                ok = SpectrumParse::real(cell, &e.realTime);
            else if (row == 5)
                ok = SpectrumParse::real(cell, &e.liveTime);
            else if (row == 6)
                ok = SpectrumParse::real(cell, &e.inputCountRate);
            if (!ok)
                return {SpectrumRun(),
                        lineError(number, QString("element %1: ").arg(k) + SpectrumParse::quoted(cell) +
                                              " cannot be read")};
        }
        ++row;
    }
    const int bins = row - headRowCount;
    if (columns < 0 || bins < 1) return {SpectrumRun(), "no bin rows"};
    for (int k = 0; k < columns; ++k)
        if (binCounts.at(k) != 0 && binCounts.at(k) != quint64(bins))
            return {
                SpectrumRun(),
                QString("element %1: bin count %2, but %3 bin rows").arg(k).arg(binCounts.at(k)).arg(bins)};
    return {run, QString()};
}
