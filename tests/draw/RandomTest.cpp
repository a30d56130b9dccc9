#include "draw/Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <vector>

namespace {

struct SequenceCase {
    const char* name;
    std::uint32_t seed;
    std::uint32_t bound;
    std::vector<std::uint32_t> numbers;
    std::uint32_t stateAfter;
    friend void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }
};

class RandomSequence : public ::testing::TestWithParam<SequenceCase> {};

// Expected values worked out with arbitrary-precision arithmetic, outside this code.
TEST_P(RandomSequence, GivesTheUpperHalfOfTheProductOfTheNewStateAndTheBound)
{
    const SequenceCase& c = GetParam();
    TRandomSource random(c.seed);
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < c.numbers.size(); ++i)
        numbers.push_back(random.Next(c.bound));
    EXPECT_EQ(c.numbers, numbers);
    EXPECT_EQ(c.stateAfter, random.Seed());
}

INSTANTIATE_TEST_SUITE_P(
    Generator, RandomSequence,
    ::testing::Values(SequenceCase{"FourParticipantsFromSeed12345", 12345, 4, {1, 1, 0, 2, 2, 1, 1, 0, 0, 3, 3, 1, 0},
                                   1031591186u},
                      SequenceCase{"FromSeedZero", 0, 10, {0, 0, 8, 2, 2, 6, 3, 1}, 694906232u},
                      SequenceCase{"LargestBoundWrapsTheState",
                                   0xFFFFFFFFu,
                                   0xFFFFFFFFu,
                                   {4160191483u, 866343916u, 2231304097u, 567969322u, 3754609367u},
                                   3754609368u},
                      SequenceCase{"BoundOneAlwaysGivesZero", 2024, 1, {0, 0, 0}, 527525991u},
                      SequenceCase{"ThousandFromALargeSeed", 987654321, 1000, {632, 413, 173, 486, 157, 936},
                                   4023639675u}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RandomSource, SetSeedRestartsTheSequence)
{
    TRandomSource random(1);
    random.Next(50);
    random.SetSeed(12345);
    EXPECT_EQ(12345u, random.Seed());
    EXPECT_EQ(1u, random.Next(4));
    EXPECT_EQ(1655067934u, random.Seed());
}

TEST(RandomSource, TheProgramHasOneSharedSource)
{
    EXPECT_EQ(&ProgramRandom(), &ProgramRandom());
    ProgramRandom().SetSeed(12345);
    TRandomSource& shared = ProgramRandom();
    EXPECT_EQ(1u, shared.Next(4));
    EXPECT_EQ(1u, ProgramRandom().Next(4));
}

std::uint32_t LowClockBits()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ull +
                                      static_cast<std::uint64_t>(ts.tv_nsec));
}

TEST(RandomSource, StartUpSeedIsTheLowHalfOfTheMonotonicNanosecondCount)
{
    ProgramRandom().SetSeed(0);
    const std::uint32_t before = LowClockBits();
    SeedProgramRandomFromClock();
    const std::uint32_t after = LowClockBits();
    // Unsigned differences stay right when the low 32 bits wrap in between.
    const std::uint32_t seed = ProgramRandom().Seed();
    EXPECT_LE(seed - before, after - before);
}

} // namespace
