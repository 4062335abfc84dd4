#include "zephra/AMsg.h"

#include "config/ConfigText.h"

namespace {

void splitAtDot(const QString& name, QString& node, QString& sub)
{
    const int dot = name.indexOf(QLatin1Char('.'));
    node = dot < 0 ? name : name.left(dot);
    sub = dot < 0 ? QString() : name.mid(dot + 1);
}

QString joined(const QString& node, const QString& sub)
{
    return sub.isEmpty() ? node : node + QLatin1Char('.') + sub;
}

} // namespace

bool AMsg::parse(const QString& text)
{
    const int keptId = id;
    *this = AMsg();
    id = keptId;
    line = text;
    line.remove(QLatin1Char('\n'));
    line.remove(QLatin1Char('\r'));

    body = takeFirstItem(line.simplified(), head).simplified();
    const int gt = head.indexOf(QLatin1Char('>'));
    if (!body.isEmpty() && gt >= 0) {
        from = head.left(gt);
        to = head.mid(gt + 1);
        splitAtDot(from, fromNode, fromSub);
        splitAtDot(to, toNode, toSub);

        const QStringList items = splitItems(body);

        cmd = items.value(0);
        params = items.mid(1);
        param = params.value(0);

        if (!cmd.isEmpty()) {
            if (cmd.startsWith(QLatin1Char('@'))) {
                cmd.remove(0, 1);
                type = Ans;
            } else if (cmd.startsWith(QLatin1Char('_'))) {
                cmd.remove(0, 1);
                type = Event;
            } else {
                type = Ask;
            }
            valid = true;
        }
    }
    fromName = joined(fromNode, fromSub);
    toName = joined(toNode, toSub);
    return valid;
}
