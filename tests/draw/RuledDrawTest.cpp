// The draw with rules: exact against a search of every answer on small registers, valid
// on large ones, and failing with reasons that are proofs an organiser can check.

#include "draw/RuledDraw.h"
#include "DrawTestSupport.h"
#include "draw/RuledSteps.h"

#include <random>
#include <set>

using namespace draw_testing;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PersistenceEnvironment);

struct TCase {
    std::vector<std::int32_t> groups;
    std::vector<TPersonPair> excluded;
};

/// n people in random groups; each other pair excluded with one of the densities.
TCase RandomCase(std::mt19937& rng, int minN, int maxN, const std::vector<double>& densities)
{
    const int n = std::uniform_int_distribution<int>(minN, maxN)(rng);
    const int kinds = std::uniform_int_distribution<int>(1, n)(rng);
    const double density = densities[rng() % densities.size()];
    TCase c;
    for (int i = 0; i < n; ++i)
        c.groups.push_back(std::uniform_int_distribution<int>(0, kinds - 1)(rng));
    for (int g = 0; g < n; ++g)
        for (int t = 0; t < n; ++t)
            if (g != t && std::bernoulli_distribution(density)(rng))
                c.excluded.emplace_back(g, t);
    return c;
}

/// Every answer tried: does some assignment (or circle) keep the rules?
bool AnswerExists(const TDrawRules& rules, bool circle, std::vector<std::int32_t>& path, std::uint32_t used)
{
    const auto n = static_cast<std::int32_t>(rules.Count());
    const auto k = static_cast<std::int32_t>(path.size());
    if (circle && k == n)
        return rules.Allows(path.back(), path.front());
    if (k == n)
        return true;
    for (std::int32_t t = 0; t < n; ++t) {
        if ((used >> t) & 1u || !(circle ? rules.Allows(path.back(), t) : rules.Allows(k, t)))
            continue;
        path.push_back(t);
        if (AnswerExists(rules, circle, path, used | (1u << t)))
            return true;
        path.pop_back();
    }
    return false;
}

bool AnswerExists(const TDrawRules& rules, bool circle)
{
    std::vector<std::int32_t> path;
    if (circle)
        path.push_back(0);
    return AnswerExists(rules, circle, path, circle ? 1u : 0u);
}

/// Every giver has an allowed taker, every taker one giver; with `circle`, one cycle.
::testing::AssertionResult Keeps(const TDrawRules& rules, const std::vector<std::int32_t>& taker, bool circle)
{
    const auto n = static_cast<std::size_t>(rules.Count());
    std::vector<int> taken(n, 0);
    for (std::size_t g = 0; g < n; ++g) {
        if (taker[g] < 0 || !rules.Allows(static_cast<std::int32_t>(g), taker[g]) || ++taken[taker[g]] > 1)
            return ::testing::AssertionFailure() << "giver " << g << " -> " << taker[g];
    }
    std::size_t length = 1;
    for (std::int32_t p = taker[0]; circle && p != 0; p = taker[static_cast<std::size_t>(p)])
        ++length;
    if (circle && length != n)
        return ::testing::AssertionFailure() << "a cycle of " << length << " of " << n;
    return ::testing::AssertionSuccess();
}

std::vector<std::int32_t> CircleTakers(const std::vector<std::int32_t>& order)
{
    std::vector<std::int32_t> taker(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        taker[static_cast<std::size_t>(order[k])] = order[(k + 1) % order.size()];
    return taker;
}

/// The people someone in `people` may give to (or, with `givers`, who may give to them).
std::set<std::int32_t> Neighbours(const TDrawRules& rules, const std::vector<std::int32_t>& people, bool givers)
{
    std::set<std::int32_t> found;
    for (const std::int32_t p : people)
        for (std::int32_t o = 0; o < rules.Count(); ++o)
            if (givers ? rules.Allows(o, p) : rules.Allows(p, o))
                found.insert(o);
    return found;
}

/// A witness is a proof: its people's possible partners are exactly its others (fewer),
/// or, for a closed set, lie inside it.
::testing::AssertionResult Proves(const TDrawRules& rules, const TWitness& w)
{
    using K = TWitness::TKind;
    const bool givers = w.kind == K::TakersWithFewGivers || w.kind == K::TakeOnlyAmongThemselves;
    const std::set<std::int32_t> partners = Neighbours(rules, w.people, givers);
    const std::set<std::int32_t> people(w.people.begin(), w.people.end());
    const bool closed = w.kind == K::GiveOnlyAmongThemselves || w.kind == K::TakeOnlyAmongThemselves;
    const bool proof = closed
        ? std::includes(people.begin(), people.end(), partners.begin(), partners.end())
        : partners == std::set<std::int32_t>(w.others.begin(), w.others.end()) && w.others.size() < w.people.size();
    if (w.people.empty() || !proof)
        return ::testing::AssertionFailure() << "not a proof";
    return ::testing::AssertionSuccess();
}

std::unique_ptr<TStringList> RegisterOf(const TCase& c, TDrawRequest& request)
{
    auto list = MakeRegister(c.groups);
    for (const auto& [g, t] : c.excluded)
        request.excluded.emplace_back(UserAt(*list, g), UserAt(*list, t));
    // A previous draw, which a failed draw must leave alone.
    for (int i = 0; i < list->Count(); ++i)
        UserAt(*list, i)->SetTaker(UserAt(*list, (i + 1) % list->Count()));
    return list;
}

TEST(RuledDraw, OnSmallRegistersSucceedsExactlyWhenSomeAnswerExists)
{
    std::mt19937 rng(2024);
    int failures = 0;
    for (int k = 0; k < 700; ++k) {
        const TCase c = RandomCase(rng, 2, 9, { 0.0, 0.1, 0.25, 0.5 });
        const TDrawRules rules(c.groups, c.excluded);
        for (const bool circle : { false, true }) {
            TDrawRequest request { {}, circle };
            auto list = RegisterOf(c, request);
            const std::vector<int> before = TakerIndices(*list);
            TRandomSource random(static_cast<std::uint32_t>(k));
            const TRuledDrawResult result = DrawWithRules(list.get(), nullptr, request, random);
            const bool exists = AnswerExists(rules, circle);
            ASSERT_EQ(exists ? TDrawOutcome::Complete : TDrawOutcome::Failed, result.outcome) << k << result.reason;
            if (exists) {
                const std::vector<int> after = TakerIndices(*list);
                ASSERT_TRUE(Keeps(rules, std::vector<std::int32_t>(after.begin(), after.end()), circle)) << k;
                ASSERT_TRUE(CheckLinks(*list)) << k;
            } else {
                ++failures;
                EXPECT_EQ(before, TakerIndices(*list)) << k;
                EXPECT_NE(std::string::npos, result.reason.find(circle ? "No circle is possible: " : "No assignment"));
            }
        }
    }
    EXPECT_GT(failures, 100); // both outcomes were put to the test
}

TEST(RuledSteps, WitnessesOfImpossibleDrawsAreProofs)
{
    std::mt19937 rng(7);
    int assignments = 0;
    int circles = 0;
    for (int k = 0; k < 400; ++k) {
        TCase c = RandomCase(rng, 2, 40, { 0.0, 0.3, 0.6, 0.8 });
        // Half of the registers get a wall: the first third may not give to the others.
        const auto n = static_cast<std::int32_t>(c.groups.size());
        for (std::int32_t g = 0; k % 2 == 1 && g < n / 3; ++g)
            for (std::int32_t t = n / 3; t < n; ++t)
                c.excluded.emplace_back(g, t);
        const TDrawRules rules(c.groups, c.excluded);
        if (GroupOverHalf(rules))
            continue;
        TRandomSource random(static_cast<std::uint32_t>(k));
        const TAssignment a = FindAssignment(rules, random);
        if (!a.unmatched.empty()) {
            ++assignments;
            ASSERT_TRUE(Proves(rules, ExplainUnmatched(rules, a, random))) << k;
        } else if (const TWitness closed = FindClosedGroup(rules, random); !closed.people.empty()) {
            ++circles;
            ASSERT_TRUE(Proves(rules, closed)) << k;
        }
    }
    EXPECT_GT(assignments, 20);
    EXPECT_GT(circles, 5);
}

TEST(RuledSteps, LargeRegistersInEveryLayoutGetValidDrawsAndCircles)
{
    std::mt19937 rng(11);
    const int n = 2000;
    for (const char* layout : { "pairs", "half", "two" }) {
        for (const int perPerson : { 0, 1, 10 }) {
            TCase c { Layout(layout, n), {} };
            for (int g = 0; g < n; ++g)
                for (int e = 0; e < perPerson; ++e)
                    c.excluded.emplace_back(g, std::uniform_int_distribution<int>(0, n - 1)(rng));
            const TDrawRules rules(c.groups, c.excluded);
            TRandomSource random(static_cast<std::uint32_t>(perPerson));
            const TAssignment a = FindAssignment(rules, random);
            EXPECT_TRUE(Keeps(rules, a.taker, false)) << layout << perPerson;
            std::vector<std::int32_t> order;
            ASSERT_EQ(TCircleSearch::Found, FindCircle(rules, random, order)) << layout << perPerson;
            EXPECT_TRUE(Keeps(rules, CircleTakers(order), true)) << layout << perPerson;
        }
    }
}

TEST(RuledSteps, GrowthFindsACircleWheneverEverybodyMayGiveToAndTakeFromHalf)
{
    // Exclusions made of k random permutations exclude at most k takers per giver and k
    // givers per taker; with k = n/2 - the largest group, the condition holds exactly.
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        const int n = std::uniform_int_distribution<int>(4, 400)(rng);
        const int largest = std::uniform_int_distribution<int>(1, n / 2)(rng);
        TCase c;
        for (int i = 0; i < n; ++i)
            c.groups.push_back(i < largest ? 0 : 1 + std::uniform_int_distribution<int>(0, n / largest)(rng) % n);
        std::map<std::int32_t, int> sizes;
        for (const std::int32_t g : c.groups)
            ++sizes[g];
        int biggest = 0;
        for (const auto& size : sizes)
            biggest = std::max(biggest, size.second);
        std::vector<std::int32_t> permutation(static_cast<std::size_t>(n));
        std::iota(permutation.begin(), permutation.end(), 0);
        for (int k = 0; k < n / 2 - biggest; ++k) {
            std::shuffle(permutation.begin(), permutation.end(), rng);
            for (int g = 0; g < n; ++g)
                c.excluded.emplace_back(g, permutation[static_cast<std::size_t>(g)]);
        }
        const TDrawRules rules(c.groups, c.excluded);
        TRandomSource random(static_cast<std::uint32_t>(round));
        std::vector<std::int32_t> order;
        ASSERT_TRUE(GrowCircle(rules, random, order)) << round;
        EXPECT_TRUE(Keeps(rules, CircleTakers(order), true)) << round;
    }
}

struct TReasonCase {
    const char* names; // one letter per participant, all named "<letter> LEE"
    std::vector<std::int32_t> groups;
    std::vector<TPersonPair> excluded;
    bool circle;
    const char* reason;
};

TEST(RuledDraw, ReasonsNameThePeopleAndGroupsThatMakeTheDrawImpossible)
{
    const std::vector<TPersonPair> path = { { 0, 2 }, { 0, 3 }, { 1, 3 }, { 2, 0 }, { 3, 0 }, { 3, 1 } };
    const TReasonCase cases[] = {
        { "ABCDE", { 0, 0, 0, 1, 2 }, {}, false,
            "No assignment keeps every rule: group HOME holds 3 of the 5 participants, and its members can only give "
            "to the 2 others" },
        { "ABC", { 0, 1, 2 }, { { 0, 1 }, { 0, 2 } }, false,
            "No assignment keeps every rule: A LEE can give to nobody: everyone else is in the same group or "
            "excluded" },
        { "ABC", { 0, 1, 2 }, { { 0, 2 }, { 1, 2 } }, false,
            "No assignment keeps every rule: nobody can give to C LEE: everyone else is in the same group or "
            "excluded" },
        { "ABCDE", { 0, 1, 2, 3, 4 }, { { 0, 1 }, { 0, 2 }, { 1, 0 }, { 1, 2 }, { 2, 0 }, { 2, 1 } }, false,
            "No assignment keeps every rule: these 3 givers (A LEE, B LEE and C LEE) can only give to these 2 "
            "people (D LEE and E LEE)" },
        { "ABCD", { 0, 1, 2, 3 }, { { 0, 2 }, { 0, 3 }, { 1, 2 }, { 1, 3 } }, true,
            "No circle is possible: these 2 people (A LEE and B LEE) can only give to each other" },
        { "ABCD", { 0, 1, 2, 3 }, path, true,
            "No circle is possible: every order of the 4 participants has someone giving to a member of the same "
            "group or to an excluded taker" },
        { "ABC", { 5, 5, 5 }, {}, true,
            "No circle is possible: group number 6 holds 3 of the 3 participants, and its members can only give to "
            "the 0 others" },
    };
    TStringList groups;
    groups.Add("HOME");
    for (const TReasonCase& c : cases) {
        TDrawRequest request { {}, c.circle };
        auto list = RegisterOf({ c.groups, c.excluded }, request);
        for (int i = 0; i < list->Count(); ++i)
            UserAt(*list, i)->SetNames(std::string(1, c.names[i]), "LEE");
        TRandomSource random(1);
        EXPECT_EQ(c.reason, DrawWithRules(list.get(), &groups, request, random).reason);
    }
}

TEST(RuledDraw, TheSeedDecidesTheDrawAndDifferentSeedsGiveDifferentDraws)
{
    for (const bool circle : { false, true }) {
        TDrawRequest request { {}, circle };
        auto list = RegisterOf({ Layout("half", 12), { { 0, 6 }, { 7, 1 } } }, request);
        std::set<std::vector<int>> seen;
        for (std::uint32_t seed = 0; seed < 40; ++seed) {
            TRandomSource first(seed);
            TRandomSource again(seed);
            ASSERT_EQ(TDrawOutcome::Complete, DrawWithRules(list.get(), nullptr, request, first).outcome);
            const std::vector<int> drawn = TakerIndices(*list);
            DrawWithRules(list.get(), nullptr, request, again);
            EXPECT_EQ(drawn, TakerIndices(*list));
            seen.insert(drawn);
        }
        EXPECT_GT(seen.size(), 30u) << circle;
    }
}

} // namespace
