// The spectrum-file readers (N42, SPE, the consumer's CSV, the run log's keys) on any bytes:
// within their caps (a key per line at most), and what a reader accepts the writers write
// back in a form that reads as the same run, so that writing it once more gives the same
// bytes.
#include "FuzzSupport.h"

#include "consumer/McaCsvReader.h"
#include "consumer/N42Reader.h"
#include "consumer/N42Writer.h"
#include "consumer/RunLog.h"
#include "consumer/SpeReader.h"
#include "consumer/SpeWriter.h"

namespace {

void checkCaps(const SpectrumRead& read)
{
    if (!read.ok()) {
        FUZZ_CHECK(read.run.elements.isEmpty());
        return;
    }
    FUZZ_CHECK(!read.run.elements.isEmpty() && read.run.elements.size() <= SpectrumLimits::maxElements);
    FUZZ_CHECK(read.run.comment.size() <= SpectrumLimits::maxTextChars);
    for (const SpectrumElement& e : read.run.elements) {
        FUZZ_CHECK(!e.counts.isEmpty() && e.counts.size() <= SpectrumLimits::maxChannels);
        FUZZ_CHECK(e.rois.size() <= SpectrumLimits::maxRois);
        FUZZ_CHECK(e.unit.size() <= SpectrumLimits::maxTextChars &&
                   e.address.size() <= SpectrumLimits::maxTextChars);
    }
}

// The writer's bytes of a run read back, written again: the same bytes.
template <typename Write, typename Read> void checkStable(const SpectrumRun& run, Write write, Read read)
{
    const QByteArray first = write(run);
    const SpectrumRead again = read(first);
    if (!again.ok()) std::fprintf(stderr, "%s\n", qPrintable(again.error));
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(write(again.run) == first);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::installMessageCheck();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    FUZZ_CHECK(runLogKeys(bytes).size() <= bytes.count('\n'));
    const auto n42 = [](const SpectrumRun& run) { return n42Document(run); };
    const auto spe = [](const SpectrumRun& run) { return speDocument(run, 0); };
    for (const SpectrumRead& read : {readN42(bytes), readSpe(bytes), readMcaCsv(bytes)}) {
        checkCaps(read);
        if (!read.ok()) continue;
        checkStable(read.run, n42, readN42);
        checkStable(read.run, spe, readSpe);
        const QByteArray line = runLogLine(read.run);
        FUZZ_CHECK(line.indexOf('\n') == line.size() - 1 && !line.contains('\r'));
    }
    return 0;
}
