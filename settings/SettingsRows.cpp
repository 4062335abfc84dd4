#include "settings/SettingsRows.h"

QString hex4(quint16 v)
{
    return QString("%1").arg(v, 4, 16, QLatin1Char('0'));
}

void SettingsRows::reset(const QVector<DspData>& config)
{
    states.resize(config.size());
    for (int i = 0; i < config.size(); ++i) {
        RowState& s = states[i];
        s = RowState();
        s.valNow = quint16(config.at(i).regValue);
        setValNew(i, s.valNow);
    }
}

quint16 SettingsRows::value(int row, int kind) const
{
    if (row < 0 || row >= states.size()) return 0;
    const RowState& s = states.at(row);
    return kind == Now ? s.valNow : kind == New ? s.valNew : s.valRestored;
}

void SettingsRows::setValNew(int row, quint16 v)
{
    RowState& s = states[row];
    s.valNew = v;
    s.newText = QString::number(v);
    s.newHex = hex4(v);
}

void SettingsRows::setValRestored(int row, quint16 v)
{
    RowState& s = states[row];
    s.valRestored = v;
    s.restoredText = QString::number(v);
    s.restoredHex = hex4(v);
}

void SettingsRows::typed(int row, int kind, const QString& text)
{
    if (row < 0 || row >= states.size()) return;
    RowState& s = states[row];
    const auto v = quint16(text.toInt(nullptr, 10));
    if (kind == New) {
        s.valNew = v;
        s.newText = text;
    } else if (kind == Restored) {
        s.valRestored = v;
        s.restoredText = text;
    }
}

CompositeViews SettingsRows::compositeViews(int row, int kind) const
{
    const double x = qint32(quint32(value(row, kind)) << 16 | value(row + 1, kind));
    const double y = 65536.0 * x + value(row + 2, kind);
    return {QString::number(x, 'g', 6), QString::number(y, 'g', 6)};
}
