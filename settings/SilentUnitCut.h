#pragma once

#include <QVector>

// Keeps a unit that stopped answering from holding a read-out or a write-back: once it has
// left `limit` accesses in a row unanswered, the rest of its accesses are not made, only
// counted. Every access waits up to 500 ms, so a silent unit costs 1.5 s, not minutes.
class SilentUnitCut
{
public:
    static constexpr int limit = 3;

    explicit SilentUnitCut(int units);

    // False once the unit is cut; the access asked for is then counted as left out.
    bool mayAsk(int unit);
    void noteAnswer(int unit, bool answered);
    int leftOut(int unit) const { return left.value(unit); }

private:
    QVector<int> unanswered; // in a row, per unit
    QVector<int> left;
};
