// A circle through everybody in which no one gives to his own group, for a register where
// no group holds more than half of the people.
//
// Why it works: list the people group by group, the largest group first, and seat list
// entry k on seat 2k for k < h = ceil(n/2), the others (entry h + k) on seat 2k + 1.
// Neighbours then hold entries k and h + k (h apart) or h + k and k + 1 (h - 1 apart), and
// the closing pair (last seat, seat 0) entries n - 1 apart (n even) or h - 1 apart (n odd).
// A group holds consecutive entries, so two neighbours share one only if it has at least
// h members: never when n is odd (h > n/2). When n is even it takes a group of exactly
// n/2 holding entries k + 1 .. h + k: the first group ends before entry h, so h + k < h
// would need k < 0; a later one starts at entry n/2 or later, which needs k = h - 1, and
// the odd seat 2k + 1 is then the last seat, with no seat 2k + 2 after it.
//
// Cost: O(n) after the people are in group order.

#include "draw/RuledSteps.h"

bool GroupOverHalf(const TDrawRules& rules)
{
    return rules.Count() > 0 && 2 * static_cast<std::int64_t>(rules.GroupSize(rules.LargestGroup())) > rules.Count();
}

namespace {

/// The groups in random order, the largest first.
std::vector<std::int32_t> GroupsLargestFirst(const TDrawRules& rules, TRandomSource& random)
{
    std::vector<std::int32_t> groups(static_cast<std::size_t>(rules.Groups()));
    for (std::int32_t g = 0; g < rules.Groups(); ++g)
        groups[static_cast<std::size_t>(g)] = g;
    Shuffle(groups, random);
    std::size_t largest = 0;
    for (std::size_t k = 1; k < groups.size(); ++k)
        if (rules.GroupSize(groups[k]) > rules.GroupSize(groups[largest]))
            largest = k;
    if (!groups.empty())
        std::swap(groups[0], groups[largest]);
    return groups;
}

/// Everybody, group by group in the given order, each group's members shuffled.
std::vector<std::int32_t> ListByGroups(
    const TDrawRules& rules, const std::vector<std::int32_t>& groups, TRandomSource& random)
{
    std::vector<std::int32_t> list;
    list.reserve(static_cast<std::size_t>(rules.Count()));
    std::vector<std::int32_t> members;
    for (const std::int32_t g : groups) {
        members.clear();
        for (std::int32_t p = rules.GroupBegin(g); p < rules.GroupEnd(g); ++p)
            members.push_back(rules.At(p));
        Shuffle(members, random);
        list.insert(list.end(), members.begin(), members.end());
    }
    return list;
}

} // namespace

std::vector<std::int32_t> InterleavedCircle(const TDrawRules& rules, TRandomSource& random)
{
    const std::vector<std::int32_t> list = ListByGroups(rules, GroupsLargestFirst(rules, random), random);
    const std::size_t n = list.size();
    const std::size_t half = (n + 1) / 2;
    std::vector<std::int32_t> order(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k < half ? 2 * k : 2 * (k - half) + 1] = list[k];
    return order;
}
