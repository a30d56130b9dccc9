#include "DrawTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

using namespace draw_testing;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PersistenceEnvironment);

void Link(TStringList& list, int giver, int taker) { User(list, giver)->SetTaker(User(list, taker)); }

int LinksKept(const std::vector<int>& before, const std::vector<int>& after)
{
    int kept = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != -1 && before[i] == after[i])
            ++kept;
    return kept;
}

struct PartialCase {
    const char* name;
    std::vector<std::int32_t> groups;
    std::vector<std::pair<int, int>> links;
    /// Links that must survive: every valid link, less those that have to be rerouted.
    int mustKeep;
    friend void PrintTo(const PartialCase& c, std::ostream* os) { *os << c.name; }
};

class CompletePartial : public ::testing::TestWithParam<PartialCase> {};

TEST_P(CompletePartial, FillsTheGapsAndKeepsWhatItCan)
{
    const PartialCase& c = GetParam();
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        auto list = MakeRegister(c.groups);
        for (auto [giver, taker] : c.links)
            Link(*list, giver, taker);
        const auto before = TakerIndices(*list);
        TRandomSource random(seed);
        ASSERT_TRUE(CompleteAssignments(list.get(), random));
        ASSERT_TRUE(IsCompleteAssignment(*list)) << "seed " << seed;
        EXPECT_GE(LinksKept(before, TakerIndices(*list)), c.mustKeep) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CompletePartial,
    ::testing::Values(
        PartialCase{"NothingLinkedYet", {0, 0, 1, 1, 2, 2}, {}, 0},
        PartialCase{"FreeOnesDirectlyMatchable", {0, 1, 2, 3}, {{0, 1}, {1, 0}}, 2},
        // Every link avoids the half group, whose members are all free: each must be rerouted.
        PartialCase{"HalfGroupAllFree",
                    HalfAndPairs(12),
                    {{6, 8}, {8, 10}, {10, 6}, {7, 9}, {9, 11}, {11, 7}},
                    0},
        PartialCase{"LastTwoFreeAreOfOneGroup", {0, 0, 1, 1, 2, 2}, {{2, 4}, {4, 3}, {3, 5}, {5, 2}}, 2},
        PartialCase{"OneFreePairInABigRegister",
                    Households(10),
                    {{0, 2}, {2, 4}, {4, 6}, {6, 8}, {8, 1}, {1, 3}, {3, 5}, {5, 7}, {7, 0}},
                    8},
        PartialCase{"AlreadyComplete", {0, 1, 2}, {{0, 1}, {1, 2}, {2, 0}}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompleteAssignments, DropsLinksNoDrawCouldHaveMade)
{
    auto list = MakeRegister({0, 0, 1, 1});
    Link(*list, 0, 1);                      // inside its own group
    User(*list, 2)->Taker = User(*list, 3); // the taker's Giver does not point back
    TRandomSource random(4);
    ASSERT_TRUE(CompleteAssignments(list.get(), random));
    EXPECT_TRUE(IsCompleteAssignment(*list));
}

TEST(CompleteAssignments, RefusesAGroupOverHalfAndChangesNothing)
{
    for (const auto& groups : {std::vector<std::int32_t>{0, 0, 1}, std::vector<std::int32_t>{3}}) {
        auto list = MakeRegister(groups);
        if (groups.size() == 3)
            Link(*list, 0, 2);
        const auto before = TakerIndices(*list);
        TRandomSource random(4);
        EXPECT_FALSE(CompleteAssignments(list.get(), random));
        EXPECT_EQ(before, TakerIndices(*list));
        EXPECT_EQ(4u, random.Seed());
    }
}

TEST(CompleteAssignments, ResultsVaryWithTheRandomSource)
{
    std::set<std::vector<int>> results;
    for (std::uint32_t seed = 0; seed < 100; ++seed) {
        auto list = MakeRegister({0, 0, 1, 1, 2, 2});
        TRandomSource random(seed);
        ASSERT_TRUE(CompleteAssignments(list.get(), random));
        results.insert(TakerIndices(*list));
    }
    // 80 complete assignments exist for three pairs; a fair completion finds many of them.
    EXPECT_GT(results.size(), 30u);
}

/// A random valid partial assignment: givers in random order, each trying a few random
/// takers, so that anything from nothing to nearly everything is linked.
void LinkAtRandom(TStringList& list, std::mt19937& rng)
{
    const int n = list.Count();
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), rng);
    const int tries = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int g : order)
        for (int t = 0; t < tries; ++t) {
            const int c = std::uniform_int_distribution<int>(0, n - 1)(rng);
            if (User(list, c)->Giver == nullptr && User(list, c)->GroupNo != User(list, g)->GroupNo) {
                Link(list, g, c);
                break;
            }
        }
}

TEST(CompleteAssignments, AnyValidPartialAssignmentOfAFeasibleRegisterIsCompleted)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 2000; ++round) {
        const int n = std::uniform_int_distribution<int>(2, 60)(rng);
        // A large group of up to half, the rest spread over a random number of groups.
        const int big = std::uniform_int_distribution<int>(0, n / 2)(rng);
        const int others = std::uniform_int_distribution<int>(1, 20)(rng);
        std::vector<std::int32_t> groups;
        for (int i = 0; i < n; ++i)
            groups.push_back(i < big ? -1 : std::uniform_int_distribution<std::int32_t>(0, others - 1)(rng));
        std::map<std::int32_t, int> sizes;
        for (auto g : groups)
            ++sizes[g];
        if (std::any_of(sizes.begin(), sizes.end(), [n](const auto& s) { return 2 * s.second > n; }))
            continue;
        std::shuffle(groups.begin(), groups.end(), rng);

        auto list = MakeRegister(groups);
        LinkAtRandom(*list, rng);
        const auto before = TakerIndices(*list);
        const int linked = static_cast<int>(std::count_if(before.begin(), before.end(), [](int t) { return t != -1; }));
        TRandomSource random(static_cast<std::uint32_t>(rng()));
        ASSERT_TRUE(CompleteAssignments(list.get(), random)) << "round " << round;
        ASSERT_TRUE(IsCompleteAssignment(*list)) << "round " << round;
        // Only a link rerouted for one of the n - linked free givers may change.
        ASSERT_GE(LinksKept(before, TakerIndices(*list)), linked - (n - linked)) << "round " << round;
    }
}

} // namespace
