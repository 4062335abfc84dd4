#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: a broken rule ends the run like a crash, so libFuzzer keeps the
// input that broke it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace Fuzz {

// Outside text reaches the log clipped; a longer diagnostic means some text went in whole.
constexpr int maxLoggedChars = 1024;

// Drops Qt's diagnostics (they would slow the run down) after checking that each is capped.
inline void installMessageCheck()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.size() > maxLoggedChars) {
            std::fprintf(stderr, "a diagnostic of %d characters: %s...\n", int(text.size()),
                         qPrintable(text.left(300)));
            std::abort();
        }
    });
}

// Takes small numbers (chunk sizes, options) from the front of an input and leaves the rest.
class Input
{
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}

    quint32 take(int bytes)
    {
        quint32 value = 0;
        for (int i = 0; i < bytes && at < size; ++i)
            value = value << 8 | data[at++];
        return value;
    }
    QByteArray rest() const { return QByteArray(reinterpret_cast<const char*>(data + at), int(size - at)); }
    bool atEnd() const { return at >= size; }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

} // namespace Fuzz
