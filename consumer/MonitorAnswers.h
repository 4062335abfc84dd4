#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The answers the monitor reads, as plain functions: they come from another program.
namespace MonitorAnswers {

constexpr int maxElements = 256; // as many as a transfer may hold

struct Roi
{
    int start = 0;
    int end = 0;
    bool operator==(const Roi& other) const { return start == other.start && end == other.end; }
};

// GetROIs: a start and an end per element, in element order. False when the items are not
// such a list of integers, or name more than maxElements elements.
bool parseRois(const QStringList& items, QVector<Roi>* rois);

// GetDataLinkCh: "host port". An address that means every interface is reached at the
// server's host. False when the port is not 1..65535.
bool parseDataLinkCh(const QStringList& items, const QString& serverHost, QString* host, quint16* port);

// The unit name of every enabled channel, in element order, from the VEXDA lines of a
// configuration (their text after the key).
struct ElementName
{
    QString unit;
    int channel = 0;
};
QVector<ElementName> elementNames(const QStringList& vexdaRests);

// GetPresetType: "0", "1" or "2" as "NONE", "REAL" or "LIVE". Units that disagree ("1 Er:
// Preset Types are different. (1 2)") give each unit's name joined by '/' ("REAL/LIVE"); an
// answer of another form gives an empty text.
QString presetTypeName(const QStringList& items);
// GetPresetValue and HVVol: the value in seconds or volts, the first unit's when the units
// disagree. False for a refusal ("Er: ...") or no number.
bool leadingNumber(const QStringList& items, double* value);
// HVStat2: the sweep state's name "Off", "Trans", "On" or "Unknown"; empty without an HV
// unit ("Er: HV unit is not avaliable.") or for an answer of another form.
QString hvStateName(const QStringList& items);

} // namespace MonitorAnswers
