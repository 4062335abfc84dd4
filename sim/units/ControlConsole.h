#pragma once

#include <QStringList>

class DspUnit;
class EmulatedUnit;
class UnitEmulator;

// The emulator program's control commands, one per line (numbers may be 0x hex):
//   fault <unit> noanswer|wrongaddress|stray|refusetcp|emergency on|off
//   fault <unit> delay <ms>              (0: off)
//   fault <unit> cut <bytes>             (negative: off)
//   fault <unit> pieces <bytes> <gapms>  (0 bytes: off)
//   closetcp <unit>
//   set <unit> <address> <value>         as a one-word write request
//   get <unit> <address>                 -> reg <unit> 0x<address> <value>
//   flat <unit> <ch> <count>             every bin of the channel = count, until Clear
//   dump <unit> <ch>                     -> bins <unit> <ch> b0 ... b4095
//   quit
// A command that prints nothing else answers "ok"; a refused one "error <why>".
class ControlConsole
{
public:
    explicit ControlConsole(UnitEmulator* emulator) : emulator_(emulator) {}

    // The lines to print in answer; *quit set by the quit command.
    QStringList execute(const QString& line, bool* quit);

private:
    QStringList fault(const QStringList& words);

    // Argument readers: the first problem met is kept in error_ and the value is then 0.
    bool refuse(const QString& why);
    bool wordCount(const QStringList& words, int n);
    qint64 number(const QString& text);
    bool onOff(const QString& text);
    EmulatedUnit* unit(const QString& text);
    DspUnit* dspUnit(const QString& text);
    int channel(const QString& text);

    UnitEmulator* emulator_;
    QString error_;
};
