#include "settings/SettingsTable.h"

#include "dsp/DspReg.h"
#include "settings/SettingsFile.h"

#include <QHash>

#include <algorithm>

QVector<RegisterPlace> unitRegisterPlaces()
{
    QVector<RegisterPlace> places;
    for (const QVector<DspReg>* list : {&unitLinkRegs, &unitRegs})
        for (const DspReg& reg : *list)
            places.append({padRight(reg.label, labelWidth), -1, reg.regAddress});
    for (const QVector<DspReg>* list : {&channelRegs, &channelStatusRegs})
        for (int ch = 0; ch < channelOffsets.size(); ++ch)
            for (const DspReg& reg : *list)
                places.append(
                    {padRight(reg.label, labelWidth), ch, reg.regAddress + quint32(channelOffsets.at(ch))});
    return places;
}

QSet<quint32> registerAddresses()
{
    QSet<quint32> addresses;
    for (const RegisterPlace& place : unitRegisterPlaces())
        addresses.insert(place.address);
    return addresses;
}

QVector<int> matchLoadedRows(const QVector<DspData>& config, const QVector<DspData>& loaded)
{
    QHash<quint32, QVector<int>> rowsOf; // ascending rows per address
    for (int j = 0; j < config.size(); ++j)
        rowsOf[config.at(j).address].append(j);
    QVector<int> matches(loaded.size(), -1);
    if (config.isEmpty()) return matches;
    for (int i = 0; i < loaded.size(); ++i) {
        const auto found = rowsOf.constFind(loaded.at(i).address);
        if (found == rowsOf.constEnd()) continue;
        const int start = i % config.size();
        const auto next = std::lower_bound(found->begin(), found->end(), start);
        matches[i] = next != found->end() ? *next : found->first();
    }
    return matches;
}
