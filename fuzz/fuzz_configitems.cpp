// The item rules shared by the configuration reader and the message parser: comments,
// quotes and blank-separated items.
#include "FuzzSupport.h"

#include "config/ConfigText.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::installMessageCheck();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));

    const QString stripped = stripComment(text);
    FUZZ_CHECK(text.startsWith(stripped));
    FUZZ_CHECK(stripComment(stripped) == stripped);
    isBlankLine(text);
    isFlagSet(text);
    FUZZ_CHECK(clipForLog(text).size() <= logTextLimit + 40);

    const QStringList items = splitItems(text);
    FUZZ_CHECK(items.size() <= text.size());
    QString first;
    const QString rest = takeFirstItem(text, first);
    FUZZ_CHECK(first == items.value(0));
    FUZZ_CHECK(text.endsWith(rest));

    // Items without quotes, each quoted and joined again, must split back into themselves.
    QString joined;
    for (const QString& item : items) {
        if (item.contains(QLatin1Char('"'))) return 0;
        joined += (joined.isEmpty() ? "\"" : " \"") + item + "\"";
    }
    FUZZ_CHECK(splitItems(joined) == items);
    return 0;
}
