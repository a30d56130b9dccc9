#include "draw/Random.h"
#include "ScriptedEntropy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
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

TEST(SecureSource, TakesEachNumberFromTheNextWordsAndDrawsTheSurplusAgain)
{
    // The upper half of word × bound; a word whose lower half falls below 2^32 mod bound (6 for 10, 1 for 3 and for
    // 2^32 - 1) is passed over. The last word, 3/4 of the range with the bound 4, shows that none was skipped.
    const std::vector<std::tuple<std::uint32_t, std::vector<std::uint32_t>, std::vector<std::uint32_t>>> cases = {
        { 10, { 0x80000000u, 0x19999999u, 0x1999999Au, 0x33333334u, 0xFFFFFFFFu, 0xC0000000u }, { 0, 2, 9 } },
        { 3, { 0, 0xFFFFFFFFu, 0x55555556u, 0xC0000000u }, { 2, 1 } },
        { 0xFFFFFFFFu, { 0, 1, 0xFFFFFFFFu, 0x80000000u, 0xC0000000u }, { 0, 0xFFFFFFFEu, 0x7FFFFFFFu } },
        { 1, { 7, 0, 0xC0000000u }, { 0, 0 } },
    };
    for (const auto& [bound, words, numbers] : cases) {
        TScriptedEntropy entropy(words);
        TRandomSource random(entropy);
        for (const std::uint32_t number : numbers)
            EXPECT_EQ(number, random.Next(bound)) << bound;
        EXPECT_EQ(3u, random.Next(4)) << bound;
    }
}

TEST(SecureSource, ReadsTheBitsABlockAtATimeAndOnlyWhenAsked)
{
    TScriptedEntropy entropy;
    TRandomSource random(entropy);
    EXPECT_TRUE(entropy.blocks.empty());
    for (std::size_t k = 0; k <= 2 * TSecureRandom::kBlockWords; ++k)
        random.Next(1u << 20);
    EXPECT_EQ(std::vector<std::size_t>(3, TSecureRandom::kBlockWords), entropy.blocks);
}

TEST(RandomSource, IsSecureOnTheSystemsBitsUntilASeedIsSet)
{
    std::vector<std::uint32_t> first(4096), second(4096);
    SystemEntropy().Fill(first);
    SystemEntropy().Fill(second);
    EXPECT_TRUE(first != second && std::count(first.begin(), first.end(), 0u) < 4);
    EXPECT_FALSE(ProgramRandom().IsSeeded());
    ProgramRandom().SetSeed(12345);
    EXPECT_EQ(1u, ProgramRandom().Next(4)); // the seeded generator's first number from 12345
}

} // namespace
