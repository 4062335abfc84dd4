#pragma once

#include <QString>
#include <QStringList>

// What the monitor is told: the command line first, then the configuration file it names
// (read with the program's configuration rules); an option on the command line wins.
struct MonitorOptions
{
    enum Outcome { Run, Help, Bad };

    QString host = QStringLiteral("localhost");
    quint16 port = 6057;
    QString name = QStringLiteral("monitor");
    QString keyFile = QStringLiteral("monitor.key");
    QString node = QStringLiteral("Tavik");
    int intervalMs = 2000;
    bool overlay = false;
    bool log = false;
    bool english = false;
    QString outDir = QStringLiteral(".");
    QStringList vexda;                // the units' VEXDA lines after the key: names for the plot titles
    QString calibrationFile;          // MONITOR_CALIBRATION: the elements' energy calibrations; empty: none
    double deadTimeAlarmPercent = 10; // MONITOR_DEAD_TIME_ALARM: dead time above it raises the alarm
    QString recordDir;                // the run recorder's folder; empty: not recording at the start
    QString comment;                  // the operator's comment in the recorded runs

    // `message` gets the help text or what is wrong. Arguments start with the program name.
    static Outcome read(const QStringList& arguments, MonitorOptions* options, QString* message);
};
