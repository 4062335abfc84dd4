#include "consumer/N42Reader.h"

#include "consumer/SpectrumParse.h"

#include <QHash>
#include <QXmlStreamReader>

namespace {

const QString n42Space = QStringLiteral("http://physics.nist.gov/N42/2011/N42");

struct Detector
{
    QString name;
    QStringList remarks;
};

struct SpectrumPart
{
    QString id;
    QString detector;
    QString calibration; // empty: none referred to
    QStringList remarks;
    bool hasLive = false;
    double live = 0;
    QVector<quint32> counts;
};

struct Measurement
{
    QString id;
    QString classCode;
    QDateTime start;
    double real = 0;
    QStringList remarks;
    QVector<SpectrumPart> spectra;
};

class N42Parse
{
public:
    explicit N42Parse(const QByteArray& bytes) : xml(bytes) {}
    SpectrumRead read();

private:
    bool fail(const QString& what);
    bool refuse(const QString& what);
    QString text() { return SpectrumParse::capped(xml.readElementText()); }
    bool isN42(const char* name) const
    {
        return xml.name() == QLatin1String(name) && xml.namespaceUri() == n42Space;
    }
    void readDetector();
    void readCalibration();
    void readMeasurement();
    void readSpectrum(Measurement& m);
    void readCounts(SpectrumPart& s);
    bool duration(double* seconds);
    SpectrumRead assemble();
    bool applyRemarks(SpectrumRun& run);
    bool fillElement(SpectrumElement& e, const SpectrumPart& s, double real);

    QXmlStreamReader xml;
    QString error;
    QHash<QString, Detector> detectors;
    QHash<QString, SpectrumCalibration> calibrations;
    bool haveMeasurement = false;
    Measurement chosen;
};

bool N42Parse::fail(const QString& what)
{
    if (error.isEmpty()) error = QString("line %1: %2").arg(xml.lineNumber()).arg(what);
    xml.raiseError(what); // ends the reading
    return false;
}

// What is wrong once the document is read: no line to name.
bool N42Parse::refuse(const QString& what)
{
    if (error.isEmpty()) error = what;
    return false;
}

bool N42Parse::duration(double* seconds)
{
    const QString name = xml.name().toString();
    const QString t = text().trimmed();
    if (!SpectrumParse::duration(t, seconds) || !SpectrumParse::isTime(*seconds))
        return fail(name + ' ' + SpectrumParse::quoted(&t) + " is no duration");
    return true;
}

void N42Parse::readDetector()
{
    const QString id = xml.attributes().value("id").toString();
    if (id.isEmpty() || detectors.contains(id)) {
        fail("RadDetectorInformation without an id of its own");
        return;
    }
    if (detectors.size() >= SpectrumLimits::maxElements) {
        fail(QString("more than %1 detectors").arg(SpectrumLimits::maxElements));
        return;
    }
    Detector d;
    while (xml.readNextStartElement()) {
        if (isN42("Remark"))
            d.remarks << text();
        else if (isN42("RadDetectorName"))
            d.name = text();
        else
            xml.skipCurrentElement();
    }
    detectors.insert(id, d);
}

void N42Parse::readCalibration()
{
    const QString id = xml.attributes().value("id").toString();
    if (id.isEmpty() || calibrations.contains(id)) {
        fail("EnergyCalibration without an id of its own");
        return;
    }
    if (calibrations.size() >= SpectrumLimits::maxElements) {
        fail(QString("more than %1 energy calibrations").arg(SpectrumLimits::maxElements));
        return;
    }
    SpectrumCalibration c;
    while (xml.readNextStartElement()) {
        if (!isN42("CoefficientValues")) {
            xml.skipCurrentElement();
            continue;
        }
        const QString values = xml.readElementText();
        if (values.size() > SpectrumLimits::maxTextChars) {
            fail("CoefficientValues of " + id + " too long");
            return;
        }
        const QVector<QStringRef> items = SpectrumParse::words(values);
        double v[3] = {0, 0, 0};
        for (int i = 0; i < items.size(); ++i) {
            double term;
            if (!SpectrumParse::real(items.at(i), &term) || (i >= 3 && term != 0)) {
                fail("CoefficientValues of " + id + ": " + SpectrumParse::quoted(items.at(i)) +
                     (i >= 3 ? " is a term beyond the quadratic one" : " is no number"));
                return;
            }
            if (i < 3) v[i] = term;
        }
        if (items.isEmpty()) {
            fail("CoefficientValues of " + id + " are empty");
            return;
        }
        c = {v[0], v[1], v[2]};
    }
    calibrations.insert(id, c);
}

void N42Parse::readCounts(SpectrumPart& s)
{
    const bool countedZeroes = xml.attributes().value("compressionCode") == QLatin1String("CountedZeroes");
    const QString values = xml.readElementText();
    QStringRef item;
    for (int at = 0; SpectrumParse::nextWord(values, &at, &item);) {
        quint32 c, repeat = 1;
        if (!SpectrumParse::count(item, &c)) {
            fail("ChannelData of " + s.id + ": " + SpectrumParse::quoted(item) + " is no count");
            return;
        }
        // A zero is followed by the number of zeroes it stands for.
        if (countedZeroes && c == 0 &&
            !(SpectrumParse::nextWord(values, &at, &item) && SpectrumParse::count(item, &repeat))) {
            fail("ChannelData of " + s.id + ": a zero without the number of zeroes it stands for");
            return;
        }
        if (repeat > quint32(SpectrumLimits::maxChannels - s.counts.size())) {
            fail("ChannelData of " + s.id +
                 QString(": more than %1 channels").arg(SpectrumLimits::maxChannels));
            return;
        }
        s.counts.insert(s.counts.size(), int(repeat), c);
    }
    if (s.counts.isEmpty()) fail("ChannelData of " + s.id + " holds no count");
}

void N42Parse::readSpectrum(Measurement& m)
{
    if (m.spectra.size() >= SpectrumLimits::maxElements) {
        fail(QString("more than %1 spectra in one measurement").arg(SpectrumLimits::maxElements));
        return;
    }
    SpectrumPart s;
    s.id = SpectrumParse::capped(xml.attributes().value("id").toString());
    s.detector = xml.attributes().value("radDetectorInformationReference").toString();
    s.calibration = xml.attributes().value("energyCalibrationReference").toString();
    bool haveCounts = false;
    while (!xml.hasError() && xml.readNextStartElement()) {
        if (isN42("Remark"))
            s.remarks << text();
        else if (isN42("LiveTimeDuration"))
            s.hasLive = duration(&s.live);
        else if (isN42("ChannelData") && !haveCounts) {
            readCounts(s);
            haveCounts = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!haveCounts && !xml.hasError()) fail("Spectrum " + s.id + " without ChannelData");
    m.spectra << s;
}

void N42Parse::readMeasurement()
{
    Measurement m;
    m.id = SpectrumParse::capped(xml.attributes().value("id").toString());
    while (!xml.hasError() && xml.readNextStartElement()) {
        if (isN42("Remark")) {
            m.remarks << text();
        } else if (isN42("MeasurementClassCode")) {
            m.classCode = text().trimmed();
        } else if (isN42("StartDateTime")) {
            const QString t = text().trimmed();
            if (!SpectrumParse::dateTime(t, &m.start))
                fail("StartDateTime " + SpectrumParse::quoted(&t) + " is no date and time");
        } else if (isN42("RealTimeDuration")) {
            duration(&m.real);
        } else if (isN42("Spectrum")) {
            readSpectrum(m);
        } else {
            xml.skipCurrentElement();
        }
    }
    const bool foreground = m.classCode == QLatin1String("Foreground");
    if (!haveMeasurement || (foreground && chosen.classCode != QLatin1String("Foreground"))) {
        chosen = m;
        haveMeasurement = true;
    }
}

SpectrumRead N42Parse::read()
{
    while (!xml.atEnd() && !xml.isStartElement()) {
        if (xml.readNext() == QXmlStreamReader::DTD) fail("a DTD is not read");
    }
    if (!xml.hasError() && !(xml.isStartElement() && isN42("RadInstrumentData")))
        fail("no N42.42-2012 document: its root is not RadInstrumentData in " + n42Space);
    while (!xml.hasError() && xml.readNextStartElement()) {
        if (isN42("RadDetectorInformation"))
            readDetector();
        else if (isN42("EnergyCalibration"))
            readCalibration();
        else if (isN42("RadMeasurement"))
            readMeasurement();
        else
            xml.skipCurrentElement();
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError() && error.isEmpty())
        error = QString("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    if (!error.isEmpty()) return {SpectrumRun(), error};
    return assemble();
}

SpectrumRead N42Parse::assemble()
{
    if (!haveMeasurement) return {SpectrumRun(), "no RadMeasurement"};
    if (chosen.spectra.isEmpty())
        return {SpectrumRun(), "RadMeasurement " + chosen.id + " holds no Spectrum"};
    SpectrumRun run;
    run.start = chosen.start;
    if (!applyRemarks(run)) return {SpectrumRun(), error};
    for (int k = 0; k < chosen.spectra.size(); ++k) {
        SpectrumElement e;
        e.element = k;
        if (!fillElement(e, chosen.spectra.at(k), chosen.real)) return {SpectrumRun(), error};
        run.elements << e;
    }
    return {run, QString()};
}

bool N42Parse::applyRemarks(SpectrumRun& run)
{
    SpectrumElement none;
    for (const QString& r : qAsConst(chosen.remarks))
        if (!SpectrumParse::applyRemark(r, run, none))
            return refuse("remark of " + chosen.id + ' ' + SpectrumParse::quoted(&r) + " cannot be read");
    return true;
}

bool N42Parse::fillElement(SpectrumElement& e, const SpectrumPart& s, double real)
{
    if (!detectors.contains(s.detector))
        return refuse("Spectrum " + s.id + " refers to no RadDetectorInformation " +
                      SpectrumParse::quoted(&s.detector));
    if (!s.calibration.isEmpty() && !calibrations.contains(s.calibration))
        return refuse("Spectrum " + s.id + " refers to no EnergyCalibration " +
                      SpectrumParse::quoted(&s.calibration));
    const Detector& d = detectors[s.detector];
    e.unit = d.name;
    e.calibration = calibrations.value(s.calibration);
    e.counts = s.counts;
    e.realTime = real;
    e.liveTime = s.hasLive ? s.live : real;
    SpectrumRun run;
    for (const QString& r : d.remarks + s.remarks)
        if (!SpectrumParse::applyRemark(r, run, e))
            return refuse("remark of " + s.id + ' ' + SpectrumParse::quoted(&r) + " cannot be read");
    return true;
}

} // namespace

SpectrumRead readN42(const QByteArray& bytes)
{
    if (bytes.size() > SpectrumLimits::maxFileBytes)
        return {SpectrumRun(),
                QString("%1 bytes, more than %2").arg(bytes.size()).arg(SpectrumLimits::maxFileBytes)};
    return N42Parse(bytes).read();
}
