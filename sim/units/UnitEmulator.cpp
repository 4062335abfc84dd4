#include "UnitEmulator.h"

#include "DspUnit.h"
#include "HvUnit.h"

UnitEmulator::UnitEmulator(const EmulatorConfig& config, QObject* parent) : QObject(parent), config_(config)
{
    config_.dspUnits = qMax(0, config_.dspUnits);
    for (int i = 0; i < config_.dspUnits; ++i)
        units_.append(new DspUnit(QStringLiteral("dsp%1").arg(i), unitAddress(config_, i), config_, i, this));
    if (config_.hvUnit)
        units_.append(
            new HvUnit(QStringLiteral("hv"), unitAddress(config_, config_.dspUnits), config_, this));
}

QHostAddress UnitEmulator::unitAddress(const EmulatorConfig& config, int index)
{
    bool ok = false;
    const quint32 first = config.firstAddress.toIPv4Address(&ok);
    return ok ? QHostAddress(first + quint32(index)) : QHostAddress();
}

bool UnitEmulator::start(QString* error)
{
    if (unitAddress(config_, 0).isNull()) {
        if (error)
            *error =
                QStringLiteral("the first address must be IPv4: %1").arg(config_.firstAddress.toString());
        return false;
    }
    quint16 udp = config_.udpPort;
    quint16 tcp = config_.tcpPort;
    for (EmulatedUnit* u : qAsConst(units_)) {
        if (!u->bind(udp, tcp, error)) return false;
        udp = u->udpPort();
        if (u->tcpPort() != 0) tcp = u->tcpPort();
    }
    udpPort_ = udp;
    tcpPort_ = tcp;
    return true;
}

EmulatedUnit* UnitEmulator::unit(int index) const
{
    return index >= 0 && index < units_.size() ? units_.at(index) : nullptr;
}

DspUnit* UnitEmulator::dspUnit(int index) const
{
    return index >= 0 && index < config_.dspUnits ? static_cast<DspUnit*>(units_.at(index)) : nullptr;
}
