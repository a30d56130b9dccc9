#include "draw/Random.h"

#include <ctime>

TRandomSource& ProgramRandom()
{
    static TRandomSource source;
    return source;
}

void SeedProgramRandomFromClock()
{
    // The nanosecond count of the monotonic clock plays the part of a performance counter.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ticks = static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ull + static_cast<std::uint64_t>(ts.tv_nsec);
    ProgramRandom().SetSeed(static_cast<std::uint32_t>(ticks));
}
