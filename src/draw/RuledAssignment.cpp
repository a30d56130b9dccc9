// An assignment under the group rule and the organiser's exclusions, found whenever one
// exists: a perfect matching of givers to takers in a graph given by its few missing edges.
//
// Why it is exact: start from any partial assignment and repeat search phases. A phase
// looks, from each giver without a taker, for an augmenting path (giver, taker held by
// giver, taker held by ..., free taker) and flips it, which gives one more giver a taker
// and takes nobody's away. Takers a phase has visited stay visited for the whole phase:
// a search that failed has seen everything reachable from its giver, none of it free, so
// a later search of the same phase that reaches it cannot succeed through it either, as
// long as no path was flipped in between. A phase that flips nothing has therefore
// searched every giver fully, and by Berge's theorem the assignment is then as large as
// any can be: complete if an assignment exists, and otherwise the proof that none does.
//
// Start: the interleaved circle (group rule only) minus the links the exclusions forbid.
// A giver with few exclusions among many allowed takers rarely hits one, so only a few
// givers start without a taker and a few phases finish. MixAssignment then makes the
// assignment a random one rather than the circle it started from: random exchanges of
// takers between two givers, kept when both new links are allowed, about n log n of them.
//
// Cost: a phase is O(n + exclusions) (see Unvisited.h), a search keeps its path on an
// explicit stack (no recursion however long the path), and memory is O(n + exclusions).

#include "draw/RuledSteps.h"
#include "draw/Unvisited.h"

#include <bit>

namespace {

/// A search's way down: each giver on the path and the taker by which it was reached.
struct TFrame {
    std::int32_t giver;
    std::int32_t via;
    TUnvisited::TScan scan;
};

void Link(TAssignment& a, std::int32_t giver, std::int32_t taker)
{
    a.taker[static_cast<std::size_t>(giver)] = taker;
    a.giver[static_cast<std::size_t>(taker)] = giver;
}

/// The interleaved circle's links, except those the exclusions forbid.
TAssignment StartFromCircle(const TDrawRules& rules, TRandomSource& random)
{
    const auto n = static_cast<std::size_t>(rules.Count());
    TAssignment a { std::vector<std::int32_t>(n, kNobody), std::vector<std::int32_t>(n, kNobody), {} };
    const std::vector<std::int32_t> circle = InterleavedCircle(rules, random);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t g = circle[k];
        const std::int32_t t = circle[(k + 1) % n];
        if (rules.Allows(g, t))
            Link(a, g, t);
        else
            a.unmatched.push_back(g);
    }
    return a;
}

/// Gives the path's givers the takers below them on the stack, the last one `freeTaker`.
void Flip(TAssignment& a, const std::vector<TFrame>& stack, std::int32_t freeTaker)
{
    std::int32_t taker = freeTaker;
    for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame) {
        Link(a, frame->giver, taker);
        taker = frame->via;
    }
}

/// One search from the giver `root`: true when it found an augmenting path and flipped it.
bool Augment(
    std::int32_t root, TUnvisited& unvisited, TAssignment& a, std::vector<TFrame>& stack, TRandomSource& random)
{
    stack.clear();
    stack.push_back({ root, kNobody, unvisited.StartScan(root, TUnvisited::TSide::Takers, random) });
    while (!stack.empty()) {
        const std::int32_t t = unvisited.Next(stack.back().scan);
        if (t == kNobody) {
            stack.pop_back();
            continue;
        }
        const std::int32_t holder = a.giver[static_cast<std::size_t>(t)];
        if (holder == kNobody) {
            Flip(a, stack, t);
            return true;
        }
        stack.push_back({ holder, t, unvisited.StartScan(holder, TUnvisited::TSide::Takers, random) });
    }
    return false;
}

/// One phase over every giver without a taker; true when it gave at least one a taker.
bool RunPhase(TUnvisited& unvisited, TAssignment& a, std::vector<TFrame>& stack, TRandomSource& random)
{
    unvisited.Reset();
    Shuffle(a.unmatched, random);
    std::vector<std::int32_t> still;
    for (const std::int32_t g : a.unmatched)
        if (!Augment(g, unvisited, a, stack, random))
            still.push_back(g);
    const bool progress = still.size() < a.unmatched.size();
    a.unmatched.swap(still);
    return progress;
}

} // namespace

void MixAssignment(const TDrawRules& rules, TAssignment& a, TRandomSource& random)
{
    const std::int32_t n = rules.Count();
    const std::int64_t tries = static_cast<std::int64_t>(n) * std::bit_width(static_cast<std::uint32_t>(n));
    for (std::int64_t k = 0; k < tries; ++k) {
        const std::int32_t x = RandomBelow(random, n);
        const std::int32_t y = RandomBelow(random, n);
        const std::int32_t tx = a.taker[static_cast<std::size_t>(x)];
        const std::int32_t ty = a.taker[static_cast<std::size_t>(y)];
        if (x != y && rules.Allows(x, ty) && rules.Allows(y, tx)) {
            Link(a, x, ty);
            Link(a, y, tx);
        }
    }
}

TAssignment FindAssignment(const TDrawRules& rules, TRandomSource& random)
{
    TAssignment a = StartFromCircle(rules, random);
    TUnvisited unvisited(rules);
    std::vector<TFrame> stack;
    while (!a.unmatched.empty() && RunPhase(unvisited, a, stack, random)) { }
    if (a.unmatched.empty())
        MixAssignment(rules, a, random);
    return a;
}
