#include "draw/Unvisited.h"

#include <numeric>

TUnvisited::TUnvisited(const TDrawRules& rules)
    : rules_(rules)
    , next_(static_cast<std::size_t>(rules.Count()) + 1)
{
    Reset();
}

void TUnvisited::Reset()
{
    std::iota(next_.begin(), next_.end(), 0);
}

void TUnvisited::Visit(std::int32_t person)
{
    const std::int32_t p = rules_.PositionOf(person);
    next_[static_cast<std::size_t>(p)] = p + 1;
}

bool TUnvisited::IsVisited(std::int32_t person) const
{
    const std::int32_t p = rules_.PositionOf(person);
    return next_[static_cast<std::size_t>(p)] != p;
}

std::int32_t TUnvisited::FindFrom(std::int32_t position)
{
    std::int32_t p = position;
    while (next_[static_cast<std::size_t>(p)] != p) {
        const std::int32_t after = next_[static_cast<std::size_t>(next_[static_cast<std::size_t>(p)])];
        next_[static_cast<std::size_t>(p)] = after;
        p = after;
    }
    return p;
}

TUnvisited::TScan TUnvisited::StartScan(std::int32_t person, TSide side, TRandomSource& random) const
{
    const std::int32_t start = rules_.Count() > 0 ? RandomBelow(random, rules_.Count()) : 0;
    return { person, side, start, start, false };
}

bool TUnvisited::Allowed(const TScan& scan, std::int32_t other) const
{
    return scan.side == TSide::Takers ? !rules_.Excluded(scan.person, other) : !rules_.Excluded(other, scan.person);
}

std::int32_t TUnvisited::Next(TScan& scan)
{
    // The scan runs from `start` to the end, then from 0 back to `start`, jumping over
    // the person's own group, which the group rule rules out as a whole.
    const std::int32_t group = rules_.Group(scan.person);
    const std::int32_t ownBegin = rules_.GroupBegin(group);
    const std::int32_t ownEnd = rules_.GroupEnd(group);
    for (;;) {
        const std::int32_t limit = scan.wrapped ? scan.start : rules_.Count();
        std::int32_t p = FindFrom(scan.cursor);
        if (p >= ownBegin && p < ownEnd)
            p = FindFrom(ownEnd);
        if (p >= limit) {
            if (scan.wrapped)
                return kNobody;
            scan.wrapped = true;
            scan.cursor = 0;
            continue;
        }
        scan.cursor = p + 1;
        const std::int32_t other = rules_.At(p);
        if (!Allowed(scan, other))
            continue;
        next_[static_cast<std::size_t>(p)] = p + 1;
        return other;
    }
}
