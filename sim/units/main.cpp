#include "ControlConsole.h"
#include "EmulatedUnit.h"
#include "StdinReader.h"
#include "UnitEmulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void say(const QString& line)
{
    out() << line << '\n';
    out().flush();
}

// Reads an option as a number; false with a message for one that is not.
bool numberOption(const QCommandLineParser& p, const QString& name, double low, double high, double* value)
{
    if (!p.isSet(name)) return true;
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || v < low || v > high) {
        QTextStream(stderr) << "unit-emulator: --" << name << " wants a number from " << low << " to " << high
                            << ", not " << p.value(name) << '\n';
        return false;
    }
    *value = v;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("unit-emulator"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Emulates networked four-channel DSP units (registers over UDP, histograms over TCP) and\n"
        "one HV unit on loopback addresses. DSP unit i answers at the first address + i, the HV\n"
        "unit at the address after the last DSP unit. Real units use UDP port 4660 and TCP port\n"
        "24; port 24 needs privileges, so by default free ports are taken and printed.\n"
        "Prints one line per unit (\"dsp0 127.0.0.2\", ..., \"hv 127.0.0.N\"), then\n"
        "\"ready udp=P tcp=Q\", and runs until killed or sent \"quit\" on standard input.\n"
        "Commands on standard input, one per line (numbers may be 0x hex):\n"
        "  fault <unit> noanswer|wrongaddress|stray|refusetcp|emergency on|off\n"
        "  fault <unit> delay <ms>   fault <unit> cut <bytes>   fault <unit> pieces <bytes> <gapms>\n"
        "  fault <unit> extra <bytes> (answers carry that many bytes more)\n"
        "  closetcp <unit>   set <unit> <address> <value>   get <unit> <address>\n"
        "  flat <unit> <ch> <count>   dump <unit> <ch>   quit"));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("dsp"), QStringLiteral("Number of DSP units (default 1)."), QStringLiteral("N"), "1"},
        {QStringLiteral("hv"), QStringLiteral("Emulate an HV unit too.")},
        {QStringLiteral("first-address"), QStringLiteral("IPv4 address of DSP unit 0 (default 127.0.0.2)."),
         QStringLiteral("A"), QStringLiteral("127.0.0.2")},
        {QStringLiteral("udp-port"),
         QStringLiteral("UDP register port of every unit; 0 = a free one (default)."), QStringLiteral("P"),
         "0"},
        {QStringLiteral("tcp-port"),
         QStringLiteral("TCP histogram port of every DSP unit; 0 = a free one (default)."),
         QStringLiteral("Q"), "0"},
        {QStringLiteral("rate"),
         QStringLiteral("Input counts per second of channel 0 (default 2000); "
                        "channel c counts 5 % x c faster."),
         QStringLiteral("R"), "2000"},
        {QStringLiteral("seed"), QStringLiteral("Seed of the histogram draws (default 1)."),
         QStringLiteral("S"), "1"},
        {QStringLiteral("hv-target"),
         QStringLiteral("Volts the HV unit ramps to when on, 0 to 200 (default 150)."), QStringLiteral("V"),
         "150"},
        {QStringLiteral("hv-ramp-ms"), QStringLiteral("Duration of a full HV ramp in ms (default 2000)."),
         QStringLiteral("T"), "2000"},
        {QStringLiteral("hv-negative"), QStringLiteral("Negative HV polarity (default positive).")},
        {QStringLiteral("exit-on-eof"),
         QStringLiteral("Quit at the end of standard input too (by default only "
                        "\"quit\" or a signal ends the program).")},
        {QStringLiteral("verbose"), QStringLiteral("Log every datagram and connection on standard error.")},
    });
    p.process(app);

    EmulatorConfig config;
    double dsp = 1, udp = 0, tcp = 0, seed = 1, ramp = config.hvRampMs;
    if (!numberOption(p, "dsp", 0, 250, &dsp) || !numberOption(p, "udp-port", 0, 65535, &udp) ||
        !numberOption(p, "tcp-port", 0, 65535, &tcp) || !numberOption(p, "rate", 0, 1e7, &config.countRate) ||
        !numberOption(p, "seed", 0, 4294967295.0, &seed) ||
        !numberOption(p, "hv-target", 0, 200, &config.hvTargetVolts) ||
        !numberOption(p, "hv-ramp-ms", 0, 3600000, &ramp))
        return 2;
    config.firstAddress = QHostAddress(p.value(QStringLiteral("first-address")));
    config.dspUnits = int(dsp);
    config.hvUnit = p.isSet(QStringLiteral("hv"));
    config.udpPort = quint16(udp);
    config.tcpPort = quint16(tcp);
    config.seed = quint32(seed);
    config.hvRampMs = int(ramp);
    config.hvPositive = !p.isSet(QStringLiteral("hv-negative"));
    config.verbose = p.isSet(QStringLiteral("verbose"));
    config.requestLogLimit = 0; // nobody here reads the log

    UnitEmulator emulator(config);
    QString error;
    if (!emulator.start(&error)) {
        QTextStream(stderr) << "unit-emulator: " << error << '\n';
        return 1;
    }
    for (int i = 0; i < emulator.unitCount(); ++i)
        say(emulator.unit(i)->name() + QLatin1Char(' ') + emulator.unit(i)->address().toString());
    say(QStringLiteral("ready udp=%1 tcp=%2").arg(emulator.udpPort()).arg(emulator.tcpPort()));

    ControlConsole console(&emulator);
    StdinReader input;
    QObject::connect(&input, &StdinReader::lineRead, &app, [&](const QString& line) {
        bool quit = false;
        for (const QString& answer : console.execute(line, &quit))
            say(answer);
        if (quit) app.quit();
    });
    if (p.isSet(QStringLiteral("exit-on-eof")))
        QObject::connect(&input, &StdinReader::ended, &app, &QCoreApplication::quit);
    return app.exec();
}
