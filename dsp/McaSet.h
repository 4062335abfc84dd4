#pragma once

#include "dsp/McaBlock.h"

#include <QVector>

// One unit's snapshot: its measurement id, its run counter and one block per channel.
struct McaSet
{
    int id = 0;
    int runCount = 0;
    QVector<McaBlock> blocks;
};
