#include "draw/Random.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace {

// Expected values worked out with arbitrary-precision arithmetic, outside this code.
TEST(RandomSource, GivesTheUpperHalfOfTheProductOfTheNewStateAndTheBound)
{
    struct Case {
        std::uint32_t seed, bound;
        std::vector<std::uint32_t> numbers;
        std::uint32_t stateAfter;
    };
    const std::vector<Case> cases = {
        { 12345, 4, { 1, 1, 0, 2, 2, 1, 1, 0, 0, 3, 3, 1, 0 }, 1031591186u },
        { 0, 10, { 0, 0, 8, 2, 2, 6, 3, 1 }, 694906232u },
        { 0xFFFFFFFFu, 0xFFFFFFFFu, { 4160191483u, 866343916u, 2231304097u, 567969322u, 3754609367u }, 3754609368u },
        { 2024, 1, { 0, 0, 0 }, 527525991u },
        { 987654321, 1000, { 632, 413, 173, 486, 157, 936 }, 4023639675u },
    };
    for (const Case& c : cases) {
        TRandomSource random(c.seed);
        std::vector<std::uint32_t> numbers;
        for (std::size_t i = 0; i < c.numbers.size(); ++i)
            numbers.push_back(random.Next(c.bound));
        EXPECT_EQ(c.numbers, numbers) << "seed " << c.seed;
        EXPECT_EQ(c.stateAfter, random.Seed()) << "seed " << c.seed;
    }
}

TEST(RandomSource, StartUpSeedIsTheLowHalfOfTheMonotonicNanosecondCount)
{
    auto lowClockBits = [] {
        timespec ts {};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<std::uint32_t>(
            static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ull + static_cast<std::uint64_t>(ts.tv_nsec));
    };
    ProgramRandom().SetSeed(0);
    const std::uint32_t before = lowClockBits();
    SeedProgramRandomFromClock();
    const std::uint32_t after = lowClockBits();
    // Unsigned differences stay right when the low 32 bits wrap in between.
    EXPECT_LE(ProgramRandom().Seed() - before, after - before);
}

} // namespace
