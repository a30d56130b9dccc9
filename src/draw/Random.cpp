#include "draw/Random.h"

#include <chrono>
#include <ctime>

TRandomSource& ProgramRandom()
{
    static TRandomSource source;
    return source;
}

void SeedProgramRandomFromClock()
{
    // The nanosecond count of the monotonic clock plays the part of a performance counter;
    // should that clock be missing, a millisecond count of the steady clock serves instead.
    timespec ts {};
    std::uint64_t ticks = 0;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) == 0) {
        ticks = static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ull + static_cast<std::uint64_t>(ts.tv_nsec);
    } else {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        ticks = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    ProgramRandom().SetSeed(static_cast<std::uint32_t>(ticks));
}
