#include "consumer/MonitorAnswers.h"

#include "dsp/DspConstants.h"
#include "dsp/VexdaLine.h"

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

} // namespace MonitorAnswers
