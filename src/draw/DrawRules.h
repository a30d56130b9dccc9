#pragma once
// Who may give to whom in a draw with rules: never inside one's own group, never to a
// taker the organiser excluded for that giver. People and groups are numbered densely
// from 0. Exclusions are kept per giver and per taker, sorted, so a check is a short
// binary search and nothing here grows with n times n.

#include "draw/Random.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

inline constexpr std::int32_t kNobody = -1;

/// A giver and a taker, as dense person numbers.
using TPersonPair = std::pair<std::int32_t, std::int32_t>;

class TDrawRules {
public:
    /// `groups`: any group number per person (equal numbers, same group); `excluded`:
    /// (giver, taker) pairs, duplicates and pairs inside a group allowed.
    TDrawRules(const std::vector<std::int32_t>& groups, const std::vector<TPersonPair>& excluded);

    std::int32_t Count() const { return static_cast<std::int32_t>(group_.size()); }
    /// The person's group, numbered densely from 0.
    std::int32_t Group(std::int32_t person) const { return group_[static_cast<std::size_t>(person)]; }
    std::int32_t Groups() const { return static_cast<std::int32_t>(groupStart_.size()) - 1; }
    std::int32_t GroupSize(std::int32_t group) const { return GroupEnd(group) - GroupBegin(group); }
    /// A group with the most members (the lowest number among equals).
    std::int32_t LargestGroup() const;

    /// The people in group order: the members of group 0, then of group 1, and so on.
    std::int32_t At(std::int32_t position) const { return order_[static_cast<std::size_t>(position)]; }
    std::int32_t PositionOf(std::int32_t person) const { return position_[static_cast<std::size_t>(person)]; }
    std::int32_t GroupBegin(std::int32_t group) const { return groupStart_[static_cast<std::size_t>(group)]; }
    std::int32_t GroupEnd(std::int32_t group) const { return groupStart_[static_cast<std::size_t>(group) + 1]; }

    bool HasExclusions() const { return !outItems_.empty(); }
    bool Excluded(std::int32_t giver, std::int32_t taker) const;
    /// Different groups and not excluded.
    bool Allows(std::int32_t giver, std::int32_t taker) const
    {
        return group_[static_cast<std::size_t>(giver)] != group_[static_cast<std::size_t>(taker)]
            && !Excluded(giver, taker);
    }

private:
    void NumberGroups(const std::vector<std::int32_t>& groups);
    void IndexExclusions(const std::vector<TPersonPair>& excluded);
    void BuildFilter();
    std::uint64_t FilterBit(std::int32_t giver, std::int32_t taker) const;

    std::vector<std::int32_t> group_;
    std::vector<std::int32_t> order_;
    std::vector<std::int32_t> position_;
    std::vector<std::int32_t> groupStart_;
    // Excluded takers of giver g: outItems_[outStart_[g] .. outStart_[g + 1]), sorted.
    std::vector<std::int32_t> outStart_;
    std::vector<std::int32_t> outItems_;
    // One bit per hashed pair, set for every excluded pair: a clear bit answers "not
    // excluded" with one memory access, which is nearly every answer a draw asks for.
    std::vector<std::uint64_t> filter_;
    std::uint64_t filterMask_ = 0;
};

/// Fisher-Yates with the program's generator.
template <class T> void Shuffle(std::vector<T>& items, TRandomSource& random)
{
    for (std::size_t i = items.size(); i > 1; --i)
        std::swap(items[i - 1], items[random.Next(static_cast<std::uint32_t>(i))]);
}

/// A random number in 0 .. n-1 for a count held as a signed number.
inline std::int32_t RandomBelow(TRandomSource& random, std::int32_t n)
{
    return static_cast<std::int32_t>(random.Next(static_cast<std::uint32_t>(n)));
}
