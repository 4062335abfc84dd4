#pragma once

#include "consumer/McaTransfer.h"

#include <QByteArray>

// A transfer as a CSV text: a header row naming the elements, then one row per head field
// and one per bin, each with the row's name in the first column and one column per block.
QByteArray mcaCsv(const QVector<McaTransfer::Block>& blocks);
