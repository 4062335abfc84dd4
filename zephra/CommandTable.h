#pragma once

#include "zephra/Command.h"

#include <QStringList>
#include <QVector>

// The commands this program understands, in registration order (the order Help lists).
class CommandTable
{
public:
    // Refuses a row whose identifier or name is already there, with a debug diagnostic.
    bool addCommand(int id, const QString& name, const QString& help);
    int idOf(const QString& name) const;
    QString helpOf(const QString& name) const;
    QString commandList() const;
    const QVector<Command>& rows() const { return commands; }

    // The answer texts of the built-in commands.
    static QString helloText(const QString& myName);
    QString helpText(const QStringList& params) const;

    // The 45 rows of this program, in the order they are registered.
    static const QVector<Command>& tavikCommands();

private:
    QVector<Command> commands;
};
