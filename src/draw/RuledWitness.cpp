// The proofs behind a failed draw, as sets of people an organiser can check.
//
// No assignment: Hall's theorem says every giver can get a taker of his own exactly when
// every set S of givers may give to at least |S| people between them. When a largest
// partial assignment leaves a giver g without a taker, the givers reachable from g by
// alternating paths (g, a taker g may give to, that taker's giver, a taker that giver
// may give to, ...) form such an S: every taker they may give to is reached, each is
// held by a reached giver (a free one would complete an augmenting path), and g holds
// none, so they may give to exactly |S| - 1 people. The same walk from a taker without a
// giver, over who may give to whom backwards, finds a set of takers with too few givers.
// Both are found and the smaller is told, since a single person left over on one side
// can be a set of thousands on the other.
//
// No circle: a circle through everybody passes from any person to any other. When the
// people reachable from one person by "may give to" links are not everybody, they can
// only give among themselves; when those who can reach him are not everybody, they can
// only be given to by each other.
//
// Cost: each walk is one search over the unvisited people, O(n + exclusions).

#include "draw/RuledSteps.h"
#include "draw/Unvisited.h"

#include <algorithm>

namespace {

/// The alternating walk from `root` on the given side. `held` maps a reached person to the
/// one that carries the walk on (the taker's giver, or the giver's taker).
void Walk(TUnvisited& unvisited, TUnvisited::TSide side, const std::vector<std::int32_t>& held, std::int32_t root,
    TRandomSource& random, TWitness& witness)
{
    unvisited.Reset();
    witness.people.assign(1, root);
    witness.others.clear();
    for (std::size_t k = 0; k < witness.people.size(); ++k) {
        TUnvisited::TScan scan = unvisited.StartScan(witness.people[k], side, random);
        for (std::int32_t other = unvisited.Next(scan); other != kNobody; other = unvisited.Next(scan)) {
            witness.others.push_back(other);
            if (const std::int32_t next = held[static_cast<std::size_t>(other)]; next != kNobody)
                witness.people.push_back(next);
        }
    }
}

/// Everybody `root` reaches by links on `side` (root included).
std::vector<std::int32_t> Reach(TUnvisited& unvisited, TUnvisited::TSide side, std::int32_t root, TRandomSource& random)
{
    unvisited.Reset();
    unvisited.Visit(root);
    std::vector<std::int32_t> reached { root };
    for (std::size_t k = 0; k < reached.size(); ++k) {
        TUnvisited::TScan scan = unvisited.StartScan(reached[k], side, random);
        for (std::int32_t other = unvisited.Next(scan); other != kNobody; other = unvisited.Next(scan))
            reached.push_back(other);
    }
    return reached;
}

std::vector<std::int32_t> Complement(std::int32_t n, const std::vector<std::int32_t>& set)
{
    std::vector<bool> in(static_cast<std::size_t>(n), false);
    for (const std::int32_t p : set)
        in[static_cast<std::size_t>(p)] = true;
    std::vector<std::int32_t> rest;
    for (std::int32_t p = 0; p < n; ++p)
        if (!in[static_cast<std::size_t>(p)])
            rest.push_back(p);
    return rest;
}

/// A closed set, or its complement when that is smaller (closed the other way round).
TWitness SmallerSide(std::int32_t n, std::vector<std::int32_t> closed, TWitness::TKind kind, TWitness::TKind other)
{
    TWitness witness;
    if (2 * closed.size() <= static_cast<std::size_t>(n)) {
        witness.kind = kind;
        std::sort(closed.begin(), closed.end());
        witness.people = std::move(closed);
    } else {
        witness.kind = other;
        witness.people = Complement(n, closed);
    }
    return witness;
}

} // namespace

TWitness ExplainUnmatched(const TDrawRules& rules, const TAssignment& partial, TRandomSource& random)
{
    TUnvisited unvisited(rules);
    TWitness givers;
    givers.kind = TWitness::TKind::GiversWithFewTakers;
    Walk(unvisited, TUnvisited::TSide::Takers, partial.giver, partial.unmatched.front(), random, givers);

    std::int32_t freeTaker = 0;
    while (partial.giver[static_cast<std::size_t>(freeTaker)] != kNobody)
        ++freeTaker;
    TWitness takers;
    takers.kind = TWitness::TKind::TakersWithFewGivers;
    Walk(unvisited, TUnvisited::TSide::Givers, partial.taker, freeTaker, random, takers);
    TWitness& smaller = takers.people.size() < givers.people.size() ? takers : givers;
    // In person order, so that the same register always gets the same words.
    std::sort(smaller.people.begin(), smaller.people.end());
    std::sort(smaller.others.begin(), smaller.others.end());
    return smaller;
}

TWitness FindClosedGroup(const TDrawRules& rules, TRandomSource& random)
{
    const std::int32_t n = rules.Count();
    if (n == 0)
        return {};
    TUnvisited unvisited(rules);
    std::vector<std::int32_t> reached = Reach(unvisited, TUnvisited::TSide::Takers, 0, random);
    if (static_cast<std::int32_t>(reached.size()) < n)
        return SmallerSide(
            n, std::move(reached), TWitness::TKind::GiveOnlyAmongThemselves, TWitness::TKind::TakeOnlyAmongThemselves);
    reached = Reach(unvisited, TUnvisited::TSide::Givers, 0, random);
    if (static_cast<std::int32_t>(reached.size()) < n)
        return SmallerSide(
            n, std::move(reached), TWitness::TKind::TakeOnlyAmongThemselves, TWitness::TKind::GiveOnlyAmongThemselves);
    return {};
}
