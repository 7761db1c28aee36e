#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace quorvel::bench {

// One figure on its own line, label first.
inline void print(const char *label, double value, const char *unit = "")
{
    std::printf("%-58s %14.3f %s\n", label, value, unit);
    std::fflush(stdout);
}

// The shortest of a few timings of work(), in seconds: the one least disturbed by the machine.
template <typename Work> double bestOf(int tries, Work work)
{
    double best = 1e100;
    for (int t = 0; t < tries; ++t) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) * 1e-9);
    }
    return best;
}

} // namespace quorvel::bench
