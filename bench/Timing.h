#pragma once
// Measuring on a shared machine: this thread's own CPU time, steady times per round, and
// the medians of runs taken in turn.

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

namespace bench {

/// CPU time of this thread in microseconds: the machine is shared, wall time is not ours.
inline double ThreadMicroseconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) * 1e-3;
}

/// Microseconds per call of `round`, timed over enough calls (50 ms) to be steady. The
/// clock is read once every `batch` calls, for rounds shorter than reading it.
template <class Round> double MicrosecondsPerRound(Round round, int batch = 1)
{
    std::int64_t rounds = 0;
    const double start = ThreadMicroseconds();
    double spent = 0;
    do {
        for (int k = 0; k < batch; ++k)
            round();
        rounds += batch;
        spent = ThreadMicroseconds() - start;
    } while (spent < 50'000);
    return spent / static_cast<double>(rounds);
}

/// The middle of `values` (the upper middle one of an even count); 0 when there are none.
inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace bench
