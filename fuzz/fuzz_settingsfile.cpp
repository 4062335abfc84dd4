// Settings files: lines read leniently into records, which are matched to the rows of the
// settings table and may be written out again.
#include "FuzzSupport.h"

#include "dsp/DspReg.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsTable.h"

#include <QBuffer>

namespace {

QVector<DspData> twoUnitTable()
{
    QVector<DspData> config;
    for (int unit = 0; unit < 2; ++unit)
        for (const RegisterPlace& place : unitRegisterPlaces()) {
            DspData row;
            row.label = place.label;
            row.dspIndex = unit;
            row.channel = place.channel;
            row.address = place.address;
            config << row;
        }
    return config;
}

// A record written and read again is the same record (a channel below -1 is written as none).
void checkRoundTrip(const DspData& record)
{
    if (record.channel < -1) return;
    DspData again;
    FUZZ_CHECK(parseSettingsLine(settingsLine(record), again));
    FUZZ_CHECK(again.dspIndex == record.dspIndex);
    FUZZ_CHECK(again.channel == record.channel);
    FUZZ_CHECK(again.header == record.header);
    FUZZ_CHECK(again.address == record.address);
    FUZZ_CHECK(again.regValue == record.regValue);
    FUZZ_CHECK(again.label == record.label);
}

// Each match is the first row at or after the record's own position, going round, with its address.
void checkMatches(const QVector<DspData>& config, const QVector<DspData>& loaded)
{
    const QVector<int> matches = matchLoadedRows(config, loaded);
    FUZZ_CHECK(matches.size() == loaded.size());
    const int n = config.size();
    for (int i = 0; i < loaded.size(); ++i) {
        int expected = -1;
        for (int k = 0; k < n && expected < 0; ++k)
            if (config.at((i + k) % n).address == loaded.at(i).address) expected = (i + k) % n;
        FUZZ_CHECK(matches.at(i) == expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::installMessageCheck();
    buildRegisterMap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QVector<DspData> config = twoUnitTable();
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    QVector<DspData> loaded;
    readSettings(file, loaded);
    FUZZ_CHECK(loaded.size() <= bytes.count('\n') + 1);
    for (const DspData& record : loaded) {
        FUZZ_CHECK(record.fileLine >= 1 && record.fileLine <= maxSettingsLines);
        FUZZ_CHECK(record.label.size() >= labelWidth);
        checkRoundTrip(record);
    }
    checkMatches(config, loaded);
    return 0;
}
