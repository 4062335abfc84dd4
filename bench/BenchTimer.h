#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

// Times two ways of doing the same exchange in alternating rounds, so that both see the
// same machine load, and reports the median time per operation of each and their ratio.
class BenchPair
{
public:
    BenchPair(int rounds, int perRound) : rounds(qMax(1, rounds)), perRound(qMax(1, perRound)) {}

    // Returns the ratio measured/reference.
    double run(const QString& name, const std::function<void()>& measured,
               const std::function<void()>& reference)
    {
        return runTimed(
            name, [&] { return timePerOp(measured); }, [&] { return timePerOp(reference); });
    }

    // The same for operations that time themselves (in microseconds), leaving out what they
    // do before and after.
    double runTimed(const QString& name, const std::function<double()>& measured,
                    const std::function<double()>& reference)
    {
        std::vector<double> a, b;
        for (int r = 0; r < rounds; ++r) {
            a.push_back(measured());
            b.push_back(reference());
        }
        const double ma = median(a), mb = median(b);
        QTextStream(stdout) << QString("%1: %2 us, bare %3 us, ratio %4\n")
                                   .arg(name, -40)
                                   .arg(ma, 0, 'f', 1)
                                   .arg(mb, 0, 'f', 1)
                                   .arg(ma / mb, 0, 'f', 2);
        return ma / mb;
    }

private:
    double timePerOp(const std::function<void()>& op) const
    {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < perRound; ++i)
            op();
        return double(t.nsecsElapsed()) / 1000.0 / perRound;
    }

    static double median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }

    int rounds;
    int perRound;
};

// Runs the event loop until `done` holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 3000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
