// The configuration file, read line by line into a store whose lookups the program makes.
#include "FuzzSupport.h"

#include "config/ConfigStore.h"
#include "config/ConfigText.h"

#include <QBuffer>

namespace {

// The first entry of a key wins every lookup: the index and the full list must agree.
void checkLookups(const ConfigStore& store, const QString& key)
{
    const QStringList all = store.allRests(key);
    const QString missing = QStringLiteral("\x01missing");
    if (all.isEmpty()) {
        FUZZ_CHECK(store.rest(key, missing) == missing);
        FUZZ_CHECK(store.value(key, missing) == missing);
        return;
    }
    FUZZ_CHECK(store.rest(key, missing) == all.first());
    QString firstItem;
    takeFirstItem(all.first(), firstItem);
    FUZZ_CHECK(store.value(key, missing) == firstItem);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::installMessageCheck();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    ConfigStore store;
    store.read(file);

    static const QStringList keys = {"ZEPHRA_IP", "ZEPHRA_PORT", "NAME_ON_ZEPHRA",
                                     "VEXDA",     "VEXHV",       "SIMPLE_TRANS"};
    for (const QString& key : keys)
        checkLookups(store, key);
    // The keys of the first few lines, however they are written.
    int checked = 0;
    for (int from = 0; from < bytes.size() && checked < 8; ++checked) {
        int end = bytes.indexOf('\n', from);
        if (end < 0) end = bytes.size();
        QString key;
        takeFirstItem(stripComment(QString::fromLocal8Bit(bytes.mid(from, end - from))), key);
        if (!key.isEmpty()) checkLookups(store, key);
        from = end + 1;
    }
    return 0;
}
