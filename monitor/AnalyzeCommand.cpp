#include "monitor/AnalyzeCommand.h"

#include "analysis/CalibrationFile.h"
#include "analysis/ReportLine.h"
#include "consumer/McaCsvReader.h"
#include "consumer/N42Reader.h"
#include "consumer/SpeReader.h"
#include "consumer/SpectrumBytes.h"

#include <QTextStream>

namespace AnalyzeCommand {

namespace {

constexpr char usage[] = "usage: tavik-monitor --analyze FILE [--roi START END]... [--calibration FILE]";
constexpr int maxQuoted = 80; // characters of an argument quoted in an error

struct Request
{
    QString file;
    QString calibrationFile; // null when not given
    QVector<QPair<int, int>> rois;
};

QString quoted(const QString& argument)
{
    return "\"" + argument.left(maxQuoted) + (argument.size() > maxQuoted ? "...\"" : "\"");
}

// What is wrong with the arguments; empty when nothing.
QString parse(const QStringList& args, Request* r)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == option || arg == "--calibration") {
            QString& to = arg == option ? r->file : r->calibrationFile;
            if (!hasValue || !to.isNull()) return arg + " takes one file";
            to = args.at(++i);
        } else if (arg == "--roi") {
            bool startOk = false, endOk = false;
            const int start = hasValue ? args.at(i + 1).toInt(&startOk) : 0;
            const int end = i + 2 < args.size() ? args.at(i + 2).toInt(&endOk) : 0;
            if (!startOk || !endOk || start < 0 || start > end)
                return "--roi takes two channels START END, 0 <= START <= END";
            r->rois.append({start, end});
            i += 2;
        } else if ((arg == "-platform" || arg == "--platform") && hasValue) {
            ++i; // the window system's, meaningless here
        } else {
            return "unexpected argument " + quoted(arg);
        }
    }
    return r->file.isNull() ? QString("--analyze takes one file") : QString();
}

// The format by the first character that is not blank: N42 is XML, SPE starts with a $
// section and the consumer's CSV with its "field" column, whatever the file is called.
SpectrumRead readByContent(const QByteArray& bytes)
{
    int at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && QChar::isSpace(uchar(bytes.at(at))))
        ++at;
    if (bytes.mid(at, 1) == "<") return readN42(bytes);
    if (bytes.mid(at, 1) == "$") return readSpe(bytes);
    if (bytes.mid(at, 6) == "field,") return readMcaCsv(bytes);
    return {SpectrumRun(), "neither an N42, an SPE nor the consumer's CSV file"};
}

std::optional<Analysis::Calibration> calibrationOf(const SpectrumElement& e,
                                                   const Analysis::CalibrationTable& table, QTextStream& err)
{
    if (table.contains(e.element)) return table.value(e.element);
    const SpectrumCalibration& c = e.calibration;
    if (c.offset == 0 && c.gain == 1 && c.quadratic == 0) return std::nullopt; // the files' "unknown"
    const Analysis::Calibration own{c.offset, c.gain, c.quadratic};
    if (own.risesOver(e.counts.size())) return own;
    err << QString("tavik-monitor: element %1: its energy calibration does not rise over its %2 channels, "
                   "so it is left out\n")
               .arg(e.element)
               .arg(e.counts.size());
    return std::nullopt;
}

QVector<QPair<int, int>> roisOf(const SpectrumElement& e, const QVector<QPair<int, int>>& given)
{
    if (!given.isEmpty()) return given;
    QVector<QPair<int, int>> rois;
    for (const SpectrumRoi& roi : e.rois)
        rois.append({roi.start, roi.end});
    if (rois.isEmpty()) rois.append({0, e.counts.size() - 1});
    return rois;
}

} // namespace

bool requested(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == option) return true;
    return false;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const auto fail = [&err](const QString& what) {
        err << "tavik-monitor: " << what << '\n';
        err.flush();
        return exitFailure;
    };
    Request request;
    QString problem = parse(arguments, &request);
    if (!problem.isEmpty()) return fail(problem + "\n" + usage);
    QByteArray bytes;
    problem = loadBytes(request.file, &bytes);
    if (!problem.isEmpty()) return fail(problem);
    const SpectrumRead read = readByContent(bytes);
    if (!read.ok()) return fail(request.file + ": " + read.error);
    if (read.run.elements.isEmpty()) return fail(request.file + ": it holds no spectrum");

    Analysis::CalibrationTable table;
    if (!request.calibrationFile.isNull()) {
        int bins = 1;
        for (const SpectrumElement& e : read.run.elements)
            bins = qMax(bins, e.counts.size());
        if (!Analysis::CalibrationFile::read(request.calibrationFile, bins, &table, &problem))
            return fail("calibration file " + problem);
    }
    for (const SpectrumElement& e : read.run.elements) {
        const Analysis::Spectrum counts = Analysis::countsOf(e.counts);
        const std::optional<Analysis::Calibration> calibration = calibrationOf(e, table, err);
        for (const QPair<int, int>& roi : roisOf(e, request.rois))
            out << Analysis::reportLine(e.element, Analysis::analyzeRoi(counts, roi.first, roi.second),
                                        calibration)
                << '\n';
    }
    out.flush();
    err.flush();
    return 0;
}

} // namespace AnalyzeCommand
