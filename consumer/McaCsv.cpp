#include "consumer/McaCsv.h"

namespace {

template <typename Field>
void addRow(QByteArray& out, const char* name, const QVector<McaTransfer::Block>& blocks, Field field)
{
    out += name;
    for (const McaTransfer::Block& b : blocks)
        out += ',' + field(b);
    out += '\n';
}

QByteArray real(double v)
{
    return QByteArray::number(v, 'g', 12);
}

} // namespace

QByteArray mcaCsv(const QVector<McaTransfer::Block>& blocks)
{
    using B = McaTransfer::Block;
    QByteArray out;
    out.reserve((blocks.size() + 1) * McaTransfer::binCount * 8);
    out += "field";
    for (int k = 0; k < blocks.size(); ++k)
        out += ",element " + QByteArray::number(k);
    out += '\n';
    addRow(out, "channel", blocks, [](const B& b) { return QByteArray::number(b.channel); });
    addRow(out, "offset 4", blocks, [](const B& b) { return QByteArray::number(b.tag); });
    addRow(out, "busy", blocks, [](const B& b) { return QByteArray::number(b.busy); });
    addRow(out, "bin count", blocks, [](const B& b) { return QByteArray::number(b.binCount); });
    addRow(out, "real time s", blocks, [](const B& b) { return real(b.realTime); });
    addRow(out, "live time s", blocks, [](const B& b) { return real(b.liveTime); });
    addRow(out, "icr", blocks, [](const B& b) { return real(b.icr); });
    for (int i = 0; i < McaTransfer::binCount; ++i) {
        out += QByteArray::number(i);
        for (const B& b : blocks)
            out += ',' + QByteArray::number(b.bins.value(i));
        out += '\n';
    }
    return out;
}
