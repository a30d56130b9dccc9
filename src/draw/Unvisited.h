#pragma once
// The people one search has not reached yet, and the scan that walks only them.
//
// A search over "who may give to whom" must not look at all n takers from every giver:
// that is n by n. The usual trick is to keep the unvisited people in group order with a
// "next unvisited position" link (a union-find with path halving), so that a giver's scan
// jumps over its own group at once, over people already visited in O(1) amortised, and
// stops only at unvisited people: each of those is either taken (visited, never looked at
// again in this search) or excluded for this giver (at most that giver's own exclusions).
// A whole search thus costs O(n + exclusions), whatever the sizes of the groups.

#include "draw/DrawRules.h"

#include <cstdint>
#include <vector>

class TUnvisited {
public:
    /// Which way a scan looks from its person.
    enum class TSide {
        Takers, ///< people the person may give to
        Givers, ///< people who may give to the person
    };

    /// One person's walk over the unvisited people, from a starting position round to it.
    struct TScan {
        std::int32_t person = kNobody;
        TSide side = TSide::Takers;
        std::int32_t start = 0;
        std::int32_t cursor = 0;
        bool wrapped = false;
    };

    explicit TUnvisited(const TDrawRules& rules);

    /// Everybody unvisited again.
    void Reset();
    void Visit(std::int32_t person);
    bool IsVisited(std::int32_t person) const;

    /// A scan for `person` that starts at a random position.
    TScan StartScan(std::int32_t person, TSide side, TRandomSource& random) const;
    /// The scan's next unvisited person the rules allow, now visited; kNobody at the end.
    std::int32_t Next(TScan& scan);

private:
    std::int32_t FindFrom(std::int32_t position);
    bool Allowed(const TScan& scan, std::int32_t other) const;

    const TDrawRules& rules_;
    // next_[p] == p: position p is unvisited; otherwise a link towards the next one.
    // Position n is a sentinel that is never visited.
    std::vector<std::int32_t> next_;
};
