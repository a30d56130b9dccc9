// A circle grown from a long one, which never gets stuck when everybody may give to at
// least n/2 people and be given to by at least n/2 (the condition of Ghouila-Houri's
// theorem; "may" means: another group and not excluded).
//
// Start: a path from a random person, extended at its end as long as its last person v
// may give to someone not yet on it. Then everybody v may give to is on the path; from
// the first of them, q, the path runs to v and v gives back to q: a circle holding v and
// all of v's possible takers, so at least n/2 + 1 people.
//
// Step, while someone is left out: a path P = u ... v of p people outside the circle C
// (m people), extended at both ends as far as it goes among the people outside C. If some
// c_i on C may give to u, and v may give to c_j, d = j - i places further on (1 <= d <= p),
// then c_j ... c_i, u ... v, back to c_j is a circle of m - (d - 1) + p > m people: the
// d - 1 people between c_i and c_j are left out again, and the circle has grown.
//
// Why such i and j exist under the condition: m > n/2, so p <= n - m < n/2. P cannot be
// extended, so u's possible givers outside C are all on P (at most p - 1 of them), and
// a >= n/2 - p + 1 >= 1 people on C may give to u; likewise b >= n/2 - p + 1 >= 1 people
// on C may be given to by v. If no pair were close enough, the p seats after each of the
// a givers of u would hold none of v's takers; these windows cover at least
// min(m, a - 1 + p) seats, leaving b <= m - a - p + 1, so a + b <= m - p + 1 <= n - 2p + 1,
// against a + b >= n - 2p + 2. (Covering all m seats would leave b = 0, also impossible.)
//
// Cost: each step is O(n) (one pass over the circle, one search for P over the people
// outside it, see Unvisited.h) and adds at least one person, so O(n^2) at worst; on
// registers with few exclusions P swallows nearly everybody left out in the first step.

#include "draw/RuledSteps.h"
#include "draw/Unvisited.h"

#include <algorithm>

namespace {

/// Extends `path` at its end with people not yet visited, as long as the last may give.
void ExtendForward(TUnvisited& unvisited, std::vector<std::int32_t>& path, TRandomSource& random)
{
    for (;;) {
        TUnvisited::TScan scan = unvisited.StartScan(path.back(), TUnvisited::TSide::Takers, random);
        const std::int32_t next = unvisited.Next(scan);
        if (next == kNobody)
            return;
        path.push_back(next);
    }
}

/// Extends `path` at its front with people not yet visited who may give to its first.
void ExtendBackward(TUnvisited& unvisited, std::vector<std::int32_t>& path, TRandomSource& random)
{
    std::vector<std::int32_t> front;
    std::int32_t first = path.front();
    for (;;) {
        TUnvisited::TScan scan = unvisited.StartScan(first, TUnvisited::TSide::Givers, random);
        first = unvisited.Next(scan);
        if (first == kNobody)
            break;
        front.push_back(first);
    }
    path.insert(path.begin(), front.rbegin(), front.rend());
}

/// The first circle: a path from a random person, closed at the first taker of its end.
std::vector<std::int32_t> FirstCircle(const TDrawRules& rules, TUnvisited& unvisited, TRandomSource& random)
{
    unvisited.Reset();
    std::vector<std::int32_t> path { RandomBelow(random, rules.Count()) };
    unvisited.Visit(path.front());
    ExtendForward(unvisited, path, random);
    const std::int32_t last = path.back();
    const auto first = std::find_if(path.begin(), path.end(), [&](std::int32_t q) { return rules.Allows(last, q); });
    return std::vector<std::int32_t>(first, path.end());
}

/// A path among the people outside `circle`, extended at both ends as far as it goes.
std::vector<std::int32_t> PathOutside(
    const TDrawRules& rules, const std::vector<std::int32_t>& circle, TUnvisited& unvisited, TRandomSource& random)
{
    unvisited.Reset();
    for (const std::int32_t c : circle)
        unvisited.Visit(c);
    std::int32_t start = RandomBelow(random, rules.Count());
    while (unvisited.IsVisited(start))
        start = (start + 1) % rules.Count();
    std::vector<std::int32_t> path { start };
    unvisited.Visit(start);
    ExtendForward(unvisited, path, random);
    ExtendBackward(unvisited, path, random);
    return path;
}

/// Seats i (c_i may give to the path's first) and j (its last may give to c_j) with the
/// fewest places d = j - i, 1 <= d <= p, from i round to j; false when there are none.
bool FindJoin(const TDrawRules& rules, const std::vector<std::int32_t>& circle, const std::vector<std::int32_t>& path,
    std::size_t& i, std::size_t& j)
{
    const std::size_t m = circle.size();
    const std::size_t p = path.size();
    std::size_t best = p + 1;
    // Twice round, so that every j sees the nearest i before it, across the seam too.
    std::size_t lastGiver = 2 * m;
    for (std::size_t k = 0; k < 2 * m; ++k) {
        const std::size_t seat = k % m;
        if (lastGiver < k && k - lastGiver < best && rules.Allows(path.back(), circle[seat])) {
            best = k - lastGiver;
            i = lastGiver % m;
            j = seat;
        }
        if (rules.Allows(circle[seat], path.front()))
            lastGiver = k;
    }
    return best <= p;
}

/// c_j ... c_i round the circle, then the path.
std::vector<std::int32_t> Join(
    const std::vector<std::int32_t>& circle, const std::vector<std::int32_t>& path, std::size_t i, std::size_t j)
{
    const std::size_t m = circle.size();
    std::vector<std::int32_t> grown;
    grown.reserve(m + path.size());
    for (std::size_t k = j;; k = (k + 1) % m) {
        grown.push_back(circle[k]);
        if (k == i)
            break;
    }
    grown.insert(grown.end(), path.begin(), path.end());
    return grown;
}

} // namespace

bool GrowCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order)
{
    const auto n = static_cast<std::size_t>(rules.Count());
    TUnvisited unvisited(rules);
    std::vector<std::int32_t> circle = FirstCircle(rules, unvisited, random);
    if (circle.size() < 2)
        return false;
    while (circle.size() < n) {
        const std::vector<std::int32_t> path = PathOutside(rules, circle, unvisited, random);
        std::size_t i = 0;
        std::size_t j = 0;
        if (!FindJoin(rules, circle, path, i, j))
            return false;
        circle = Join(circle, path, i, j);
    }
    order = std::move(circle);
    return true;
}
