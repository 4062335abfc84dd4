#include "BenchProcess.h"
#include "BenchTimer.h"
#include "bare/BareNet.h"
#include "bare/BareUnitClient.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "process/ChildProcess.h"
#include "settings/DspSettingCtrl.h"

#include <QApplication>
#include <QWindow>

#include <memory>
#include <vector>

// The program's unit access in this process (VexUnit, VexDA, the settings editor) beside
// plain sockets doing the same exchanges, both with the same bare units in another process.
namespace {
constexpr quint32 modeRegister = 0xB4000010;
constexpr int registersPerUnit = 212;
const QString firstUnit = "127.0.51.2";
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString pinning = pinFromArguments(args);
    const int rounds = intOption(args, "--rounds", 15);
    const int settingsUnits = intOption(args, "--units", 4);
    buildRegisterMap();

    // The program's units first, then as many for the plain sockets.
    const int unitCount = qMax(1, settingsUnits);
    BenchProcess units;
    units.start(builtProgram("bare/bare-units"),
                {"--units", QString::number(2 * unitCount), "--first-address", firstUnit});
    const QList<QByteArray> ready = units.lineStartingWith("ready").split(' ');
    const quint16 udpPort = quint16(ready.value(1).mid(4).toUInt());
    const quint16 tcpPort = quint16(ready.value(2).mid(4).toUInt());
    VexUnit::setPorts(udpPort, tcpPort);
    const quint32 first = BareNet::loopback(firstUnit.toStdString());
    auto addressOf = [&](int i) { return QString::fromStdString(BareNet::addressText(first + quint32(i))); };

    std::vector<std::unique_ptr<VexDA>> programUnits;
    std::vector<std::unique_ptr<BareUnitClient>> bareUnits;
    for (int i = 0; i < unitCount; ++i) {
        programUnits.push_back(std::make_unique<VexDA>(QString("dsp%1").arg(i + 1), addressOf(i)));
        programUnits.back()->channelEnabled = QByteArray(4, 1);
        programUnits.back()->openTcp();
        bareUnits.push_back(
            std::make_unique<BareUnitClient>(first + quint32(unitCount + i), udpPort, tcpPort));
    }
    if (!waitUntil([&] {
            for (auto& u : programUnits)
                if (!u->tcpIsConnected) return false;
            return true;
        }))
        qFatal("no TCP connection to the bare units");
    VexDA& unit = *programUnits.front();
    BareUnitClient& bare = *bareUnits.front();
    std::vector<char> histogram(BareUnitClient::histogramBytes);

    QTextStream(stdout) << "Median time per operation over alternating rounds, " << pinning << Qt::endl;
    BenchPair(rounds, 400)
        .run(
            "register read (VexUnit)", [&] { unit.readRegister(modeRegister, true, 2); },
            [&] { bare.read(modeRegister); });
    BenchPair(rounds, 60)
        .run(
            "histogram transfer (VexDA)", [&] { unit.getHistogram(1, nullptr); },
            [&] { bare.fetchHistogram(1, histogram.data()); });

    // The editor's Read Out: every register of every unit, then its rows, with the window
    // hidden and shown.
    DspSettingCtrl editor;
    for (auto& u : programUnits)
        editor.dspUnits.append(u.get());
    for (const bool open : {false, true}) {
        editor.setVisible(open);
        if (open && !waitUntil([&] { return editor.windowHandle() && editor.windowHandle()->isExposed(); }))
            qFatal("the editor was not shown");
        BenchPair(qMax(3, rounds / 3), 1)
            .run(
                QString("settings read-out, %1 x %2 registers, %3")
                    .arg(registersPerUnit)
                    .arg(unitCount)
                    .arg(open ? "editor open" : "editor hidden"),
                [&] {
                    editor.readOut();
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the old rows
                },
                [&] {
                    for (auto& b : bareUnits)
                        for (int r = 0; r < registersPerUnit; ++r)
                            b->read(modeRegister + 2 * quint32(r));
                });
    }
    return 0;
}
