#include "BareUnit.h"
#include "BenchTimer.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QApplication>

// A register read through VexUnit and a histogram transfer through VexDA, each beside a
// bare socket doing the same exchange with the same emulator in the same run.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    buildRegisterMap();

    EmulatorConfig config;
    config.firstAddress = QHostAddress("127.0.41.2");
    config.dspUnits = 2; // one for the program, one for the bare sockets
    UnitEmulatorThread emu(config);
    QString error;
    if (!emu.start(&error)) qFatal("%s", qPrintable(error));
    VexUnit::setPorts(emu.udpPort(), emu.tcpPort());

    VexDA unit("dsp1", emu.unitAddress(0).toString());
    unit.channelEnabled = QByteArray(4, 1);
    unit.openTcp();
    BareUnit bare;
    bare.address = emu.unitAddress(1);
    bare.port = emu.udpPort();
    bare.tcp.connectToHost(bare.address, emu.tcpPort());
    if (!bare.tcp.waitForConnected(BareUnit::waitMs) || !waitUntil([&] {
            return unit.tcpIsConnected && emu.tcpClientCount(0) == 1 && emu.tcpClientCount(1) == 1;
        }))
        qFatal("no TCP connection to the emulator");

    QTextStream(stdout) << "Median time per operation over alternating rounds (lower is better)\n";
    BenchPair registers(15, 400);
    registers.run(
        "register read (VexUnit)", [&] { unit.readRegister(BareUnit::mode, true, 2); }, [&] { bare.read(); });

    BenchPair histograms(15, 60);
    histograms.run(
        "histogram transfer (VexDA)", [&] { unit.getHistogram(1, nullptr); },
        [&] { bare.fetchHistogram(1); });
    return 0;
}
