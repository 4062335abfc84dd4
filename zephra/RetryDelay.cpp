#include "zephra/RetryDelay.h"

#include <QtGlobal>

int RetryDelay::waitMs(int failures, double jitter, int first, int last)
{
    first = qMax(first, 1);
    last = qMax(last, first);
    qint64 wait = first;
    for (int i = 0; i < failures && wait < last; ++i)
        wait *= 2;
    wait = qMin<qint64>(wait, last);
    return int(wait - qint64(double(wait) * 0.1 * qBound(0.0, jitter, 1.0)));
}
