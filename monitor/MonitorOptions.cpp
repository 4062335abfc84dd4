#include "monitor/MonitorOptions.h"

#include "config/ConfigStore.h"
#include "config/ConfigText.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

constexpr double shortestInterval = 0.2;
constexpr double longestInterval = 3600;

// The command-line option, else the configuration key, else the default.
QString pick(const QCommandLineParser& p, const ConfigStore& file, const QString& option, const QString& key,
             const QString& fallback)
{
    return p.isSet(option) ? p.value(option) : file.value(key, fallback);
}

} // namespace

MonitorOptions::Outcome MonitorOptions::read(const QStringList& arguments, MonitorOptions* o,
                                             QString* message)
{
    message->clear();
    QCommandLineParser p;
    p.setApplicationDescription(
        "Live spectrum monitor: logs in to the message server, asks the watched node for its\n"
        "data link, fetches the spectra of every enabled channel at an interval and shows them\n"
        "with their ROIs, times and rates; starts, stops and clears the measurement.\n"
        "The configuration file takes ZEPHRA_IP, ZEPHRA_PORT, MONITOR_NAME, MONITOR_KEY,\n"
        "MONITOR_NODE, MONITOR_INTERVAL, MONITOR_OVERLAY, MONITOR_OUT, MONITOR_CALIBRATION,\n"
        "MONITOR_DEAD_TIME_ALARM (percent), MONITOR_RECORD, MONITOR_COMMENT and the VEXDA\n"
        "lines of the node's own configuration (unit names for the plot titles and the\n"
        "recorded files), so the node's file will do.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    p.addOption(help);
    p.addOptions({
        {"host", "Host of the message server (default localhost).", "host"},
        {"port", "Its port (default 6057).", "port"},
        {"name", "Name to log in with (default monitor).", "name"},
        {"keys", "Key file for the log-in, one key per line (default monitor.key).", "file"},
        {"node", "The node to watch (default Tavik).", "node"},
        {"interval", "Seconds between two fetches of the spectra (default 2).", "s"},
        {"config", "Configuration file (keys above).", "file"},
        {"out", "Folder the Save button offers (default: current folder).", "dir"},
        {"overlay", "All spectra in one plot instead of a grid."},
        {"log", "Log connections, problems and every server line on standard error."},
        {"e", "English texts: the Japanese catalogue is not installed."},
        {"analyze",
         "Print the ROI report of a spectrum file (CSV, N42 or SPE) and exit, without a window or a "
         "connection; also takes --roi START END (repeated) and --calibration FILE.",
         "file"},
    });
    p.addOptions({
        {"record", "Record every run that ends into this folder (run folders and runs.csv).", "dir"},
        {"comment", "The operator's comment in the recorded runs.", "text"},
    });
    if (!p.parse(arguments)) {
        *message = p.errorText();
        return Bad;
    }
    if (p.isSet(help)) {
        *message = p.helpText();
        return Help;
    }
    if (!p.positionalArguments().isEmpty()) {
        *message = "unexpected argument: " + clipForLog(p.positionalArguments().first());
        return Bad;
    }
    ConfigStore file;
    if (p.isSet("config")) file.readFile(p.value("config"));

    o->host = pick(p, file, "host", "ZEPHRA_IP", o->host);
    bool portOk = false;
    const int port = pick(p, file, "port", "ZEPHRA_PORT", QString::number(o->port)).toInt(&portOk);
    o->name = pick(p, file, "name", "MONITOR_NAME", o->name);
    o->keyFile = pick(p, file, "keys", "MONITOR_KEY", o->keyFile);
    o->node = pick(p, file, "node", "MONITOR_NODE", o->node);
    bool intervalOk = false;
    const double interval =
        pick(p, file, "interval", "MONITOR_INTERVAL", QString::number(o->intervalMs / 1000.0))
            .toDouble(&intervalOk);
    o->outDir = pick(p, file, "out", "MONITOR_OUT", o->outDir);
    o->overlay = p.isSet("overlay") || isFlagSet(file.value("MONITOR_OVERLAY", "0"));
    o->log = p.isSet("log");
    o->english = p.isSet("e");
    o->recordDir = pick(p, file, "record", "MONITOR_RECORD", o->recordDir);
    o->comment = pick(p, file, "comment", "MONITOR_COMMENT", o->comment);
    o->vexda = file.allRests("VEXDA");
    o->calibrationFile = file.value("MONITOR_CALIBRATION", o->calibrationFile);
    bool alarmOk = false;
    const double alarm =
        file.value("MONITOR_DEAD_TIME_ALARM", QString::number(o->deadTimeAlarmPercent)).toDouble(&alarmOk);

    if (!portOk || port < 1 || port > 65535) *message = "the port must be 1-65535";
    if (!intervalOk || interval < shortestInterval || interval > longestInterval)
        *message = QString("the interval must be %1-%2 s").arg(shortestInterval).arg(longestInterval);
    if (!alarmOk || alarm < 0 || alarm > 100) *message = "MONITOR_DEAD_TIME_ALARM must be 0-100 (%)";
    if (o->name.isEmpty() || o->name.contains(QRegularExpression("[ >.]")))
        *message = "the name must be one word without '>' or '.'";
    if (!message->isEmpty()) return Bad;
    o->port = quint16(port);
    o->intervalMs = int(interval * 1000);
    o->deadTimeAlarmPercent = alarm;
    return Run;
}
