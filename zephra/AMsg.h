#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// One message of the server protocol, split from a received line `from>to body`.
// Passed by value to every request handler.
class AMsg
{
public:
    enum Type { Ans = 0, Event = 1, Ask = 2, None = 3 };

    bool parse(const QString& text);

    bool valid = false;
    QString line;
    QString head;
    QString body;
    QString from;
    QString to;
    QString fromNode;
    QString fromSub;
    QString fromName;
    QString toNode;
    QString toSub;
    QString toName;
    QString cmd;
    QString param;
    QStringList params;
    int type = None;
    int id = 0; // set by the dispatcher from the command table, not by parse
};

Q_DECLARE_METATYPE(AMsg)
