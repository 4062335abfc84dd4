#pragma once

#include <QString>

// One row of the command table: the identifier the main controller routes by, the
// command word (compared exactly) and its one-line help.
struct Command
{
    int id = 0;
    QString name;
    QString help;
};
