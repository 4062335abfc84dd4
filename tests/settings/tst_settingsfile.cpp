#include "dsp/DspReg.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsRows.h"
#include "settings/SettingsTable.h"

#include <QtTest>

// The settings file's lines, its lenient reader and the matching of loaded records to rows.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { buildRegisterMap(); }

    // A unit-wide register, its value wider than four digits; a channel's line is compared in
    // the start-up dump.
    void writtenLines()
    {
        QCOMPARE(settingsLine({padRight("Mode", 30), 0, -1, 0, 0xB4000010, 0x12345}),
                 "DSP0 Mode" + QString(26, ' ') + " : 00000000 b4000010 12345\n");
    }

    void readLines()
    {
        // Line, then index channel header address value |label|, or nothing for a skipped line.
        const QString written =
            settingsLine({padRight("ADC Gain", 30), 3, 1, 0xFFC80602, 0xB4000402, 0x12345});
        for (const QStringList& c : {QStringList{written, "3 1 ffc80602 b4000402 12345 |ADC Gain|"},
                                     {"DSP0 Mode : 0 b4000010 1", "0 -1 0 b4000010 1 |Mode|"},
                                     {"  \t# DSP0 Mode : 0 b4000010 1", ""},
                                     {" \t ", ""},
                                     {"12", "0 -1 0 0 12 ||"},
                                     {"DSP0 Mode stray", "0 -1 d000 de a0 ||"},
                                     {"DSP12 cH2 g1 0x1f zz123456789", "12 2 1 1f 23456789 ||"},
                                     {"DSP1 Ch99999999 : 0 b4001400 1", "1 99999999 0 b4001400 1 ||"}}) {
            DspData r;
            const bool kept = parseSettingsLine(c.at(0), r);
            QCOMPARE(kept ? QString::asprintf("%d %d %x %x %llx |%s|", r.dspIndex, r.channel, r.header,
                                              r.address, r.regValue, qPrintable(r.label.trimmed()))
                          : QString(),
                     c.at(1));
        }
    }

    // A line over the cap is read as its first maxSettingsLineLength characters, and the
    // line after it as it stands.
    void overlongLineIsCut()
    {
        const QByteArray head = "DSP0 Mode : 0 b4000010 ";
        QByteArray text = head + QByteArray(maxSettingsLineLength - head.size() - 8, '0') + "abcdef12";
        text += "3456789\nDSP1 Mode : 0 b4000010 5\n";
        QBuffer file(&text);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVector<DspData> records;
        QCOMPARE(readSettings(file, records).cutLines, 1);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).regValue, 0xabcdef12ull);
        QCOMPARE(records.at(1).dspIndex, 1);
        QCOMPARE(records.at(1).fileLine, 2);
    }

    void matchingLoadedRecords()
    {
        // Rows at addresses A B A C (the same register of two units shares its address);
        // more loaded records than rows start their scan at their position modulo 4.
        QVector<DspData> rows, loaded;
        for (const quint32 a : {0xA, 0xB, 0xA, 0xC})
            rows.append({QString(), 0, -1, 0, a, 0});
        for (const quint32 a : {0xA, 0xA, 0xB, 0xD, 0xC, 0xA, 0xA, 0xA})
            loaded.append({QString(), 0, -1, 0, a, 0});
        QCOMPARE(matchLoadedRows(rows, loaded), QVector<int>({0, 2, 1, -1, 3, 2, 2, 0}));
    }

    // What a row shows after a read-out of 0x10005, Copy Loaded of 9, and each typed text:
    // "value text hex" of the new and of the loaded field, and the marks.
    void typedValues()
    {
        QVector<DspData> records(1);
        records[0].regValue = 0x10005;
        for (const QStringList& c : {QStringList{"70000", "4464 70000 0009|4464 70000 0009|new loaded"},
                                     {"5", "5 5 0009|5 5 0009|"},
                                     {"-1", "65535 -1 0009|65535 -1 0009|new loaded"},
                                     {"0x1f", "0 0x1f 0009|0 0x1f 0009|new loaded"}}) {
            SettingsRows rows;
            rows.reset(records);
            rows.setValRestored(0, 9);
            rows.setValNew(0, rows.value(0, SettingsRows::Restored));
            rows.typed(0, SettingsRows::New, c.at(0));
            rows.typed(0, SettingsRows::Restored, c.at(0));
            const RowState& s = rows.at(0);
            QCOMPARE(QString("%1 %2 %3|%4 %5 %6|%7 %8")
                         .arg(s.valNew)
                         .arg(s.newText, s.newHex)
                         .arg(s.valRestored)
                         .arg(s.restoredText, s.restoredHex, s.newDiffers() ? "new" : "",
                              s.restoredDiffers() ? "loaded" : "")
                         .trimmed(),
                     c.at(1));
        }
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
