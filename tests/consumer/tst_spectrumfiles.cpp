#include "consumer/McaCsv.h"
#include "consumer/McaCsvReader.h"
#include "consumer/N42Reader.h"
#include "consumer/N42Writer.h"
#include "consumer/RunLog.h"
#include "consumer/SpeReader.h"
#include "consumer/SpeWriter.h"
#include "consumer/SpectrumBytes.h"
#include "consumer/SpectrumFormats.h"

#include <QtTest>

#include <clocale>

// The spectrum files: each writer read back by its reader and compared field by field, a few
// exact texts so that a fault both sides share still shows, readers against other writers'
// forms and hostile input, the run log as a CSV reader splits it. Run once more under a
// decimal-comma locale (and with such a default QLocale in any case).
namespace {

SpectrumRead readAs(const QString& format, const QByteArray& bytes)
{
    return format == "n42" ? readN42(bytes) : format == "spe" ? readSpe(bytes) : readMcaCsv(bytes);
}

SpectrumRun sampleRun()
{
    SpectrumRun run;
    run.measurement = 4000000000u;
    run.runCounter = 7;
    run.start = QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30, 123), Qt::OffsetFromUTC, 9 * 3600);
    run.end = QDateTime(QDate(2024, 5, 1), QTime(2, 50, 0, 5), Qt::OffsetFromUTC, -(3 * 3600 + 30 * 60));
    run.presetType = "REAL";
    run.presetValue = 10.5;
    run.hvState = "On";
    run.hvVoltage = 1200.25;
    run.hvVoltageKnown = true;
    run.comment = "fast, \"quoted\"\nsecond line";
    SpectrumElement a;
    a.unit = "dsp 1";
    a.address = "127.0.0.2";
    a.channel = 2;
    for (int i = 0; i < 4096; ++i)
        a.counts << quint32(i * 7919 % 1000);
    a.counts[17] = 4294967295u;
    a.realTime = 12.345678;
    a.liveTime = 12.000001;
    a.inputCountRate = 1234.5;
    a.rois = {{100, 200, 777}, {0, 4095, 0}};
    a.calibration = {-0.5, 0.25, 1e-7};
    SpectrumElement b;
    b.unit = QString::fromUtf8("\xc3\x9cml \xe6\xa4\x9c\xe5\x87\xba");
    b.channel = 0;
    b.element = 1;
    b.counts = QVector<quint32>(4096, 0);
    b.realTime = 3600.00000001; // written to the microsecond
    b.liveTime = 0.0000016;
    run.elements = {a, b};
    return run;
}

// What the reader must give back of the sample: times to the microsecond, and for an SPE
// file its one element with the comment on one line.
SpectrumRun expected(int speElement = -1)
{
    SpectrumRun run = sampleRun();
    run.elements[1].realTime = 3600;
    run.elements[1].liveTime = 0.000002;
    if (speElement < 0) return run;
    run.comment.replace('\n', ' ');
    run.elements = {run.elements.at(speElement)};
    return run;
}

void compareRuns(const SpectrumRun& got, const SpectrumRun& want)
{
    QCOMPARE(got.measurement, want.measurement);
    QCOMPARE(got.start, want.start);
    QCOMPARE(got.start.offsetFromUtc(), want.start.offsetFromUtc());
    QCOMPARE(got.end, want.end);
    QCOMPARE(got.end.offsetFromUtc(), want.end.offsetFromUtc());
    QCOMPARE(got.presetType, want.presetType);
    QCOMPARE(got.presetValue, want.presetValue);
    QCOMPARE(got.hvState, want.hvState);
    QCOMPARE(got.hvVoltage, want.hvVoltage);
    QCOMPARE(got.hvVoltageKnown, want.hvVoltageKnown);
    QCOMPARE(got.comment, want.comment);
    QCOMPARE(got.elements.size(), want.elements.size());
    for (int k = 0; k < want.elements.size(); ++k) {
        const SpectrumElement &g = got.elements.at(k), &w = want.elements.at(k);
        QCOMPARE(g.unit, w.unit);
        QCOMPARE(g.address, w.address);
        QCOMPARE(g.channel, w.channel);
        QCOMPARE(g.element, w.element);
        QCOMPARE(g.counts, w.counts);
        QCOMPARE(g.realTime, w.realTime);
        QCOMPARE(g.liveTime, w.liveTime);
        QCOMPARE(g.inputCountRate, w.inputCountRate);
        QCOMPARE(g.rois, w.rois);
        QCOMPARE(g.calibration.offset, w.calibration.offset);
        QCOMPARE(g.calibration.gain, w.calibration.gain);
        QCOMPARE(g.calibration.quadratic, w.calibration.quadratic);
    }
}

// A CSV line split as a spreadsheet splits it: quoted cells with doubled quotes.
QStringList csvCells(const QString& line)
{
    QStringList cells{QString()};
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == '"' && quoted && line.midRef(i + 1, 1) == "\"")
            cells.last() += line.at(++i);
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            cells << QString();
        else
            cells.last() += c;
    }
    return cells;
}

} // namespace

class TestSpectrumFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // The second run must really have a C library that writes "1,5".
        if (qgetenv("LC_ALL").startsWith("de_DE"))
            QVERIFY2(QByteArray(std::localeconv()->decimal_point) == ",",
                     "the de_DE.UTF-8 locale is missing: scripts/setup.sh generates it");
    }

    void writtenAndReadBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("speElement");
        const SpectrumRun run = sampleRun();
        QTest::newRow("n42") << n42Document(run) << "n42" << -1;
        QTest::newRow("spe of element 0") << speDocument(run, 0) << "spe" << 0;
        QTest::newRow("spe of element 1") << speDocument(run, 1) << "spe" << 1;
    }

    void writtenAndReadBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(int, speElement);
        const SpectrumRead read = readAs(format, bytes);
        QVERIFY2(read.ok(), qPrintable(read.error));
        compareRuns(read.run, expected(speElement));
    }

    void writtenText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const SpectrumRun run = sampleRun();
        const QByteArray n42 = n42Document(run), spe = speDocument(run, 0);
        QTest::newRow("n42 namespace")
            << n42 << "<RadInstrumentData xmlns=\"http://physics.nist.gov/N42/2011/N42\"";
        QTest::newRow("n42 start with its offset") << n42 << "<StartDateTime>2024-05-01T10:20:30.123+09:00<";
        QTest::newRow("n42 live time") << n42 << "<LiveTimeDuration>PT12.000001S</LiveTimeDuration>";
        QTest::newRow("n42 real time of the run") << n42 << "<RealTimeDuration>PT3600S</RealTimeDuration>";
        QTest::newRow("n42 calibration") << n42 << "<CoefficientValues>-0.5 0.25 1e-07</CoefficientValues>";
        QTest::newRow("n42 spectrum references")
            << n42
            << "<Spectrum id=\"spectrum-1\" radDetectorInformationReference=\"detector-1\" "
               "energyCalibrationReference=\"calibration-1\">";
        QTest::newRow("n42 foreground") << n42 << "<MeasurementClassCode>Foreground</MeasurementClassCode>";
        QTest::newRow("n42 counts") << n42 << "<ChannelData>0 919 838 757 ";
        QTest::newRow("spe start") << spe << "$SPEC_ID:\nRun 4000000000, unit dsp 1, channel 2\n$SPEC_REM:\n";
        QTest::newRow("spe date") << spe
                                  << "\n$DATE_MEA:\n05/01/2024 10:20:30\n$MEAS_TIM:\n12.000001 12.345678\n";
        QTest::newRow("spe rois") << spe << "\n$ROI:\n2\n100 200\n0 4095\n$ENER_FIT:\n-0.5 0.25\n";
        QTest::newRow("spe calibration")
            << spe << "\n$MCA_CAL:\n3\n-0.5 0.25 1e-07\n$DATA:\n0 4095\n0\n919\n";
        QTest::newRow("spe remarks") << spe << "\nDead time: 0.345677 s\nInput count rate: 1234.5\n";
    }

    void writtenText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY2(QString::fromUtf8(bytes).contains(text), qPrintable(text));
        QVERIFY(bytes.endsWith('\n'));
    }

    // The order of the standard's schema, where every A comes before any B.
    void n42ElementOrder()
    {
        SpectrumRun run = sampleRun();
        run.elements.removeLast();
        const QByteArray doc = n42Document(run);
        const char* const order[][2] = {
            {"<RadInstrumentDataCreatorName>", "<RadInstrumentInformation "},
            {"<RadInstrumentInformation ", "<RadDetectorInformation "},
            {"<RadDetectorInformation ", "<EnergyCalibration "},
            {"<EnergyCalibration ", "<RadMeasurement "},
            {"<RadInstrumentManufacturerName>", "<RadInstrumentModelName>"},
            {"<RadInstrumentModelName>", "<RadInstrumentClassCode>"},
            {"<RadInstrumentClassCode>", "<RadInstrumentVersion>"},
            {"<RadDetectorName>", "<RadDetectorCategoryCode>"},
            {"<RadDetectorCategoryCode>", "<RadDetectorKindCode>"},
            {"<MeasurementClassCode>", "<StartDateTime>"},
            {"<StartDateTime>", "<RealTimeDuration>"},
            {"<RealTimeDuration>", "<Spectrum "},
            {"<Remark>", "<LiveTimeDuration>"},
            {"<LiveTimeDuration>", "<ChannelData>"},
        };
        for (const auto& pair : order) {
            QVERIFY2(doc.contains(pair[0]) && doc.lastIndexOf(pair[0]) < doc.indexOf(pair[1]), pair[0]);
        }
        QVERIFY(QRegularExpression(" n42DocUUID=\"[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\"")
                    .match(doc)
                    .hasMatch());
        QVERIFY(!doc.contains("00000000-0000-0000-0000-000000000000"));
    }

    void readsOtherWritersForms()
    {
        const SpectrumRead n42 = readN42(
            "<?xml version=\"1.0\"?>\n<RadInstrumentData xmlns=\"http://physics.nist.gov/N42/2011/N42\">"
            "<RadDetectorInformation id=\"g\"><RadDetectorName>Ge</RadDetectorName></RadDetectorInformation>"
            "<RadMeasurement id=\"b\"><MeasurementClassCode>Background</MeasurementClassCode>"
            "<RealTimeDuration>PT1S</RealTimeDuration><Spectrum id=\"s0\" "
            "radDetectorInformationReference=\"g\">"
            "<ChannelData>9</ChannelData></Spectrum></RadMeasurement>"
            "<RadMeasurement id=\"f\"><MeasurementClassCode>Foreground</MeasurementClassCode>"
            "<StartDateTime>2024-01-02T03:04:05Z</StartDateTime><RealTimeDuration>P1DT1H2M3.5S</"
            "RealTimeDuration>"
            "<Spectrum id=\"s1\" "
            "radDetectorInformationReference=\"g\"><LiveTimeDuration>PT90000S</LiveTimeDuration>"
            "<ChannelData compressionCode=\"CountedZeroes\">5 0 3 7\n0 "
            "1</ChannelData></Spectrum></RadMeasurement>"
            "</RadInstrumentData>");
        QVERIFY2(n42.ok(), qPrintable(n42.error));
        QCOMPARE(n42.run.start, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC));
        QCOMPARE(n42.run.elements.size(), 1);
        const SpectrumElement& g = n42.run.elements.first();
        QCOMPARE(g.unit, QString("Ge"));
        QCOMPARE(g.counts, QVector<quint32>({5, 0, 0, 0, 7, 0}));
        QCOMPARE(g.realTime, 90123.5);
        QCOMPARE(g.liveTime, 90000.0);
        QCOMPARE(g.calibration.gain, 1.0);

        const SpectrumRead spe =
            readSpe("$SPEC_ID:\r\nx\r\n$DATE_MEA:\r\n12-31-2023 23:59:58\r\n$MEAS_TIM:\r\n9 10\r\n"
                    "$DATA:\r\n0 5\r\n1 2 3\r\n4\t5 6\r\n$ROI:\r\n1\r\n1 3\r\n"
                    "$ENER_FIT:\r\n7 8\r\n$MCA_CAL:\r\n2\r\n1.000000E+000 2.5E-001 keV\r\n");
        QVERIFY2(spe.ok(), qPrintable(spe.error));
        QCOMPARE(spe.run.start, QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)));
        const SpectrumElement& s = spe.run.elements.first();
        QCOMPARE(s.counts, QVector<quint32>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(s.liveTime, 9.0);
        QCOMPARE(s.realTime, 10.0);
        QCOMPARE(s.rois, QVector<SpectrumRoi>({{1, 3, 9}}));
        QCOMPARE(s.calibration.offset, 1.0);
        QCOMPARE(s.calibration.gain, 0.25);
    }

    void consumerCsvReadBack()
    {
        QVector<McaTransfer::Block> blocks(2);
        for (int k = 0; k < 2; ++k) {
            blocks[k] = {quint32(k * 3), quint32(7 + k), 1, 4096, 1.25 + k, 0.000125, 1e6 + k, {}};
            for (int i = 0; i < 4096; ++i)
                blocks[k].bins << quint32(i * (k + 1));
        }
        const QByteArray csv = mcaCsv(blocks);
        const SpectrumRead read = readMcaCsv(csv);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.run.measurement, 8u);
        QCOMPARE(read.run.elements.size(), 2);
        for (int k = 0; k < 2; ++k) {
            const SpectrumElement& e = read.run.elements.at(k);
            QCOMPARE(e.channel, k * 3);
            QCOMPARE(e.counts, blocks.at(k).bins);
            QCOMPARE(e.realTime, blocks.at(k).realTime);
            QCOMPARE(e.liveTime, blocks.at(k).liveTime);
            QCOMPARE(e.inputCountRate, blocks.at(k).icr);
        }
        QCOMPARE(readMcaCsv(QByteArray(csv).replace('\n', "\r\n")).run.elements.size(), 2);
    }

    void readersRefuse_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray root = "<RadInstrumentData xmlns=\"http://physics.nist.gov/N42/2011/N42\">";
        const QByteArray det = "<RadDetectorInformation id=\"d\"/>";
        const auto spectrum = [&](const QByteArray& body) {
            return root + det +
                   "<RadMeasurement id=\"m\"><Spectrum id=\"s\" radDetectorInformationReference=\"d\">" +
                   body + "</Spectrum></RadMeasurement></RadInstrumentData>";
        };
        const QString n42 = "n42", spe = "spe", csv = "csv";
        const QByteArray big(SpectrumLimits::maxFileBytes + 1, ' ');
        QTest::newRow("n42 no xml") << n42 << QByteArray("$DATA:") << "line 1: ";
        QTest::newRow("n42 dtd") << n42 << "<!DOCTYPE a [<!ENTITY x \"xx\">]>" + root
                                 << "line 1: a DTD is not read";
        QTest::newRow("n42 other root") << n42 << QByteArray("<RadInstrumentData/>") << "its root is not";
        QTest::newRow("n42 unknown detector")
            << n42 << QByteArray(spectrum("<ChannelData>1</ChannelData>")).replace("id=\"d\"", "id=\"e\"")
            << "Spectrum s refers to no RadDetectorInformation \"d\"";
        QTest::newRow("n42 zeroes beyond the cap")
            << n42 << spectrum("<ChannelData compressionCode=\"CountedZeroes\">1 0 65535 2</ChannelData>")
            << "more than 65536 channels";
        QTest::newRow("n42 no count")
            << n42 << spectrum("<ChannelData>1 2.5</ChannelData>") << "\"2.5\" is no count";
        QTest::newRow("n42 duration in months") << n42 << spectrum("<LiveTimeDuration>P1M</LiveTimeDuration>")
                                                << "LiveTimeDuration \"P1M\" is no duration";
        QTest::newRow("n42 cubic term")
            << n42 << root + "<EnergyCalibration id=\"c\"><CoefficientValues>0 1 0 2</CoefficientValues>"
            << "\"2\" is a term beyond the quadratic one";
        QTest::newRow("n42 bad remark")
            << n42 << spectrum("<Remark>ROI: 1 2 sum x</Remark><ChannelData>1</ChannelData>")
            << "remark of s \"ROI: 1 2 sum x\" cannot be read";
        QTest::newRow("n42 no measurement") << n42 << root + det + "</RadInstrumentData>"
                                            << "no RadMeasurement";
        QTest::newRow("n42 too big") << n42 << big << "more than 33554432";
        QTest::newRow("spe counts missing")
            << spe << QByteArray("$DATA:\n0 3\n1\n2\n") << "line 1: $DATA: 2 counts, not 4";
        QTest::newRow("spe counts over")
            << spe << QByteArray("$X:\n$DATA:\n0 1\n1 2 3\n") << "line 4: more than 2 counts";
        QTest::newRow("spe no count")
            << spe << QByteArray("$DATA:\n0 1\n1\n-2\n") << "line 4: \"-2\" is no count";
        QTest::newRow("spe huge range")
            << spe << QByteArray("$DATA:\n0 70000\n") << "line 2: $DATA: channels 0 to";
        QTest::newRow("spe no data") << spe << QByteArray("$MEAS_TIM:\n1 2\n") << "no $DATA: section";
        QTest::newRow("spe second data")
            << spe << QByteArray("$DATA:\n0 0\n1\n$DATA:\n") << "line 4: a second";
        QTest::newRow("spe bad remark") << spe << QByteArray("$SPEC_REM:\nChannel: two\n$DATA:\n0 0\n1\n")
                                        << "line 2: remark \"Channel: two\"";
        QTest::newRow("spe bad date")
            << spe << QByteArray("$DATE_MEA:\n13/01/2024 10:00:00\n") << "line 2: $DATE_MEA:";
        QTest::newRow("spe too big") << spe << big << "more than 33554432";
        QTest::newRow("csv header") << csv << QByteArray("field,element 1\n")
                                    << "line 1: column 2 is not element 0";
        QTest::newRow("csv row name")
            << csv << QByteArray("field,element 0\nchannel,0\nbusy,0\n") << "line 3: row \"busy\"";
        QTest::newRow("csv nul byte")
            << csv << QByteArray("field,element 0,element 1\nchannel,0\0,1\n", 39) << "line 2: element 0: ";
        QTest::newRow("csv values") << csv << QByteArray("field,element 0\nchannel,0,1\n")
                                    << "line 2: 2 values expected";
        QTest::newRow("csv bin count")
            << csv << QByteArray(mcaCsv({McaTransfer::Block{}})).replace("bin count,0", "bin count,5")
            << "element 0: bin count 5, but 4096 bin rows";
        QTest::newRow("csv too big") << csv << big << "more than 33554432";
    }

    void readersRefuse()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const SpectrumRead read = readAs(format, bytes);
        QVERIFY2(read.error.contains(error), qPrintable(read.error));
        QVERIFY(read.run.elements.isEmpty());
    }

    void runLogColumns()
    {
        SpectrumRun run = sampleRun();
        run.comment = QString(5000, 'x') + "\r\n,\"";
        run.hvVoltageKnown = false;
        const QString header = runLogHeader(run), line = runLogLine(run);
        QCOMPARE(header.count('\n'), 1);
        QCOMPARE(line.count('\n'), 1);
        const QStringList names = csvCells(header.trimmed()), cells = csvCells(line.chopped(1));
        QCOMPARE(cells.size(), names.size());
        const QHash<QString, QString> want{
            {"comment", QString(1024, 'x')},
            {"e0 unit", "dsp 1"},
            {"e0 dead s", "0.345677"},
            {"e0 icr", "1234.5"},
            {"e0 counts", QString::number(sampleRun().elements[0].totalCounts())},
            {"e0 roi0 start", "100"},
            {"e0 roi1 end", "4095"},
            {"e1 unit", sampleRun().elements[1].unit},
            {"e1 real s", "3600"},
            {"e1 live s", "0.000002"}};
        for (auto w = want.begin(); w != want.end(); ++w) {
            QVERIFY2(names.contains(w.key()), qPrintable(w.key()));
            QCOMPARE(cells.at(names.indexOf(w.key())), w.value());
        }
        run.comment = "one\rtwo\nthree, \"four\"";
        QCOMPARE(csvCells(runLogLine(run).chopped(1)).at(names.indexOf("comment")),
                 QString("one two three, \"four\""));
    }

    void runFromBlocks_data()
    {
        QTest::addColumn<QVector<quint32>>("channels"); // of the blocks; 9: a block of zeros
        QTest::addColumn<QString>("units");
        QTest::addColumn<QVector<int>>("wantChannels");
        QTest::newRow("names agree") << QVector<quint32>{0, 2, 1}
                                     << "dsp1 127.0.0.2,dsp1 127.0.0.2,dsp2 127.0.0.3"
                                     << QVector<int>{0, 2, 1};
        QTest::newRow("zeros named by configuration")
            << QVector<quint32>{0, 9, 1} << "dsp1 127.0.0.2,dsp1 127.0.0.2,dsp2 127.0.0.3"
            << QVector<int>{0, 2, 1};
        QTest::newRow("channels disagree") << QVector<quint32>{0, 3, 1} << ",," << QVector<int>{0, 3, 1};
        QTest::newRow("count disagrees") << QVector<quint32>{0, 2} << "," << QVector<int>{0, 2};
    }

    void runFromBlocks()
    {
        QFETCH(QVector<quint32>, channels);
        QFETCH(QString, units);
        QFETCH(QVector<int>, wantChannels);
        QVector<McaTransfer::Block> blocks;
        for (int k = 0; k < channels.size(); ++k) {
            McaTransfer::Block b{channels.at(k) % 9,
                                 quint32(k * 11 + 3),
                                 0,
                                 channels.at(k) == 9 ? 0u : 4096u,
                                 2.5,
                                 2.0,
                                 3.0,
                                 QVector<quint32>(4096, quint32(k))};
            blocks << b;
        }
        const SpectrumRun run =
            spectrumRunFromBlocks(blocks, {"dsp1 127.0.0.2 1 0 1 0", "dsp2 127.0.0.3 0 1 0 0"});
        QCOMPARE(run.measurement, 14u);
        QCOMPARE(run.runCounter, 3u);
        QCOMPARE(run.elements.size(), blocks.size());
        for (int k = 0; k < blocks.size(); ++k) {
            const SpectrumElement& e = run.elements.at(k);
            QCOMPARE(e.unit + ' ' + e.address,
                     units.split(',').at(k).isEmpty() ? " " : units.split(',').at(k));
            QCOMPARE(e.channel, wantChannels.at(k));
            QCOMPARE(e.element, k);
            QCOMPARE(e.counts, blocks.at(k).bins);
            QCOMPARE(e.deadTime(), 0.5);
        }
        QCOMPARE(spectrumRoi(run.elements.at(1), 4094, 5000).sum, 2u);
    }

    // A run is known again in a run log by its numbers and what each element counted.
    void runLogKnowsItsRuns()
    {
        const SpectrumRun a = sampleRun();
        SpectrumRun b = a, c = a, d = a;
        b.runCounter = 8;
        c.elements[1].counts[0] = 1;
        d.comment = "another comment";
        const QByteArray line = runLogLine(b);
        const QSet<QString> keys = runLogKeys(runLogHeader(a) + runLogLine(a) + line + line.left(40));
        QCOMPARE(keys, (QSet<QString>{runLogKey(a), runLogKey(b)}));
        QCOMPARE(keys.size(), 2); // the run counter tells them apart
        QVERIFY(!keys.contains(runLogKey(c)));
        QCOMPARE(runLogKey(d), runLogKey(a));
        QVERIFY(runLogKeys("measurement,start\n1,2\n").isEmpty()); // not a run log of this shape
    }

    void formatsChosen_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("want"); // csv png n42 spe as 0/1, or the start of the error
        QTest::newRow("all four") << "csv,png,n42,spe"
                                  << "1111";
        QTest::newRow("any case and blanks") << " N42 , spe,n42"
                                             << "0011";
        QTest::newRow("unknown name") << "csv,pdf"
                                      << "unknown format \"pdf\"";
        QTest::newRow("empty") << ""
                               << "a format missing";
        QTest::newRow("trailing comma") << "csv,"
                                        << "a format missing in \"csv,\"";
    }

    void formatsChosen()
    {
        QFETCH(QString, list);
        QFETCH(QString, want);
        SpectrumFormats f{true, false, true, false};
        QString error;
        const bool ok = SpectrumFormats::parse(list, &f, &error);
        const QString got = QString("%1%2%3%4").arg(f.csv).arg(f.png).arg(f.n42).arg(f.spe);
        QCOMPARE(ok ? got : error.left(want.size()), want);
        if (!ok) QCOMPARE(got, QString("1010")); // unchanged
    }

    void savedAndLoaded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("run-1.n42");
        const QByteArray doc = n42Document(sampleRun());
        QCOMPARE(saveBytes(path, doc), QString());
        QByteArray loaded;
        QCOMPARE(loadBytes(path, &loaded), QString());
        QCOMPARE(loaded, doc);
        QVERIFY(saveBytes(dir.filePath("missing/run.n42"), doc).startsWith("cannot write"));
        QVERIFY(loadBytes(dir.path(), &loaded).contains("no regular file"));
        QVERIFY(loadBytes("/dev/zero", &loaded).contains("no regular file"));
        QFile huge(dir.filePath("huge"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(SpectrumLimits::maxFileBytes + 1));
        QVERIFY(loadBytes(huge.fileName(), &loaded).contains("more than"));
        QVERIFY(loaded.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSpectrumFiles)
#include "tst_spectrumfiles.moc"
