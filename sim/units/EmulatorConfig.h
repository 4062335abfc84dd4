#pragma once

#include <QHostAddress>

// What to emulate. DSP unit i answers at firstAddress + i, the HV unit (if any) at the
// address after the last DSP unit. Port 0: the first unit binds a free port and every other
// unit uses the same one.
struct EmulatorConfig
{
    QHostAddress firstAddress{QStringLiteral("127.0.0.2")};
    int dspUnits = 1;
    bool hvUnit = false;
    quint16 udpPort = 0;
    quint16 tcpPort = 0;
    double countRate = 2000; // counts per second of channel 0; the others a little more
    quint32 seed = 1;        // histograms are reproducible for a given seed
    double hvTargetVolts = 150;
    int hvRampMs = 2000; // time of a full ramp between 0 V and the target
    bool hvPositive = true;
    bool verbose = false;         // one line per datagram on the debug output
    int requestLogLimit = 100000; // request datagrams kept per unit; the oldest go first
};
