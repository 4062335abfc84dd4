#include "consumer/MonitorAnswers.h"

#include "dsp/DspConstants.h"
#include "dsp/VexdaLine.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>

namespace MonitorAnswers {

bool parseRois(const QStringList& items, QVector<Roi>* rois)
{
    rois->clear();
    if (items.size() % 2 != 0 || items.size() > 2 * maxElements) return false;
    for (int i = 0; i < items.size(); i += 2) {
        bool startOk = false, endOk = false;
        const Roi roi{items.at(i).toInt(&startOk), items.at(i + 1).toInt(&endOk)};
        if (!startOk || !endOk) {
            rois->clear();
            return false;
        }
        rois->append(roi);
    }
    return true;
}

bool parseDataLinkCh(const QStringList& items, const QString& serverHost, QString* host, quint16* port)
{
    if (items.size() != 2) return false;
    bool ok = false;
    const int p = items.at(1).toInt(&ok);
    if (!ok || p < 1 || p > 65535) return false;
    const bool everywhere = items.at(0) == "0.0.0.0" || items.at(0) == "::";
    *host = everywhere ? serverHost : items.at(0);
    *port = quint16(p);
    return true;
}

QVector<ElementName> elementNames(const QStringList& vexdaRests)
{
    QVector<ElementName> names;
    for (const QString& rest : vexdaRests) {
        const VexdaLine line = VexdaLine::parse(rest, Dsp::channelsPerUnit);
        for (int c = 0; c < line.enabled.size() && names.size() < maxElements; ++c)
            if (line.enabled.at(c)) names.append({line.name, c});
    }
    return names;
}

QString presetTypeName(const QStringList& items)
{
    static const QStringList names{"NONE", "REAL", "LIVE"};
    // The units' types follow the mismatch text in brackets.
    const int open = items.indexOf(QRegularExpression("\\(.*"));
    const QStringList types = open > 0 ? items.mid(open) : items.mid(0, 1);
    QStringList found;
    for (QString t : types) {
        t.remove('(').remove(')');
        bool ok = false;
        const int type = t.toInt(&ok);
        if (!ok || type < 0 || type >= names.size()) return QString();
        found << names.at(type);
    }
    return found.join('/');
}

bool leadingNumber(const QStringList& items, double* value)
{
    bool ok = false;
    *value = items.value(0).toDouble(&ok);
    return ok && std::isfinite(*value);
}

QString hvStateName(const QStringList& items)
{
    static const QHash<QString, QString> names{{"0", "Off"}, {"1", "Trans"}, {"2", "On"}, {"-1", "Unknown"}};
    return items.size() == 1 ? names.value(items.first()) : QString();
}

} // namespace MonitorAnswers
