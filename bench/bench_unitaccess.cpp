#include "BenchTimer.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "sim/units/UnitEmulatorThread.h"

#include <QApplication>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtEndian>

// A register read through VexUnit and a histogram transfer through VexDA, each beside a
// bare socket doing the same exchange with the same emulator in the same run.
namespace {
constexpr quint32 mode = 0xB4000010, histgram = 0xB400004A;
constexpr int waitMs = 2000;

QByteArray request(quint32 head, quint32 address, const QByteArray& value = QByteArray())
{
    QByteArray d(8, '\0');
    qToBigEndian<quint32>(head, d.data());
    qToBigEndian<quint32>(address, d.data() + 4);
    return d + value;
}

struct BareUnit
{
    QUdpSocket udp;
    QTcpSocket tcp;
    QHostAddress address;
    quint16 port = 0;
    QByteArray buffer = QByteArray(65536, '\0');

    void exchange(const QByteArray& datagram)
    {
        udp.writeDatagram(datagram, address, port);
        if (!udp.hasPendingDatagrams())
            udp.waitForReadyRead(waitMs);
        udp.readDatagram(buffer.data(), buffer.size());
    }

    void fetchHistogram(int ch)
    {
        exchange(request(0xFF800702, histgram, QByteArray::fromHex("00") + char(ch)));
        qint64 held = 0;
        while (held < 16384) {
            if (tcp.bytesAvailable() == 0 && !tcp.waitForReadyRead(waitMs))
                qFatal("bare histogram timed out");
            held += tcp.read(buffer.data() + held, 16384 - held);
        }
    }
};
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    buildRegisterMap();

    EmulatorConfig config;
    config.firstAddress = QHostAddress("127.0.41.2");
    config.dspUnits = 2; // one for the program, one for the bare sockets
    UnitEmulatorThread emu(config);
    QString error;
    if (!emu.start(&error))
        qFatal("%s", qPrintable(error));
    VexUnit::setPorts(emu.udpPort(), emu.tcpPort());

    VexDA unit("dsp1", emu.unitAddress(0).toString());
    unit.channelEnabled = QByteArray(4, 1);
    unit.openTcp();
    BareUnit bare;
    bare.address = emu.unitAddress(1);
    bare.port = emu.udpPort();
    bare.tcp.connectToHost(bare.address, emu.tcpPort());
    if (!bare.tcp.waitForConnected(waitMs) ||
        !waitUntil([&] { return unit.tcpIsConnected && emu.tcpClientCount(0) == 1 && emu.tcpClientCount(1) == 1; }))
        qFatal("no TCP connection to the emulator");

    QTextStream(stdout) << "Median time per operation over alternating rounds (lower is better)\n";
    BenchPair registers(15, 400);
    const QByteArray readMode = request(0xFFC00602, mode);
    registers.run("register read (VexUnit)", [&] { unit.readRegister(mode, true, 2); },
                  [&] { bare.exchange(readMode); });

    BenchPair histograms(15, 60);
    histograms.run("histogram transfer (VexDA)", [&] { unit.getHistogram(1, nullptr); },
                   [&] { bare.fetchHistogram(1); });
    return 0;
}
