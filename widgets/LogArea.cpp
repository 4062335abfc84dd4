#include "widgets/LogArea.h"

LogArea::LogArea(QWidget* parent, int maxLines) : QFrame(parent)
{
    setupUi(this);
    LogDisp->document()->setMaximumBlockCount(maxLines);
}

void LogArea::log(const QString& msg, const QColor& c)
{
    LogDisp->setTextColor(c);
    LogDisp->insertPlainText(msg + QLatin1Char('\n'));
    LogDisp->moveCursor(QTextCursor::End);
}
