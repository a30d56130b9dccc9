// Completion of a partial assignment, for the registers on which random passes take
// too long (above all: one group of exactly half of the participants).
//
// Why it always succeeds when no group holds more than half of the n records:
//
// Takers may be given to free givers directly as long as some free taker is in another
// group than the giver. Done greedily, this stops with m free givers and m free takers left
// (there are always as many of one as of the other), and a leftover giver was left over only
// because every free taker at that moment, and so every one left at the end, was of the
// giver's own group. Hence all 2m leftovers belong to one group A.
//
// Each leftover giver g with leftover taker t is then served by rerouting one link p -> t1
// that avoids A at both ends: g -> t1 and p -> t are both allowed (g is in A, t1 is not;
// p is not in A, t is). Enough such links exist: of the n - m links, those touching A are
// the |A| - m made by A's givers plus the |A| - m made to A's takers (no link joins A to A),
// which leaves n - m - 2(|A| - m) = n - 2|A| + m >= m links avoiding A, because |A| <= n/2.
//
// Work: a sort of the group numbers, then O(log groups) per free giver; no n-by-n structure.

#include "draw/Draw.h"
#include "draw/DrawBoard.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace {

/// Counts per group with prefix sums and lookup by rank, each in O(log groups).
class TGroupCounts {
public:
    explicit TGroupCounts(std::int32_t groups)
        : tree_(static_cast<std::size_t>(groups) + 1, 0)
    {
    }

    void Add(std::int32_t group, std::int32_t delta)
    {
        for (std::size_t i = static_cast<std::size_t>(group) + 1; i < tree_.size(); i += i & (~i + 1))
            tree_[i] += delta;
    }

    /// Members of the groups before `group`.
    std::int32_t Before(std::int32_t group) const
    {
        std::int32_t sum = 0;
        for (std::size_t i = static_cast<std::size_t>(group); i > 0; i -= i & (~i + 1))
            sum += tree_[i];
        return sum;
    }

    /// The group of the member of 0-based rank `rank`, members numbered in group order.
    std::int32_t Find(std::int32_t rank) const
    {
        std::size_t pos = 0;
        for (std::size_t step = std::bit_floor(tree_.size() - 1); step > 0; step >>= 1) {
            if (pos + step < tree_.size() && tree_[pos + step] <= rank) {
                pos += step;
                rank -= tree_[pos];
            }
        }
        return static_cast<std::int32_t>(pos);
    }

private:
    std::vector<std::int32_t> tree_;
};

} // namespace

template <class Random> void CompleteBoard(TDrawBoard& board, Random& random)
{
    if (board.Unassigned() == 0)
        return;
    const std::int32_t count = board.Count();
    TDrawSlot* s = board.Slots();

    // Group numbers may be any 32-bit values: number the groups densely first.
    std::vector<std::int32_t> values;
    values.reserve(static_cast<std::size_t>(board.Records()));
    for (std::int32_t i = 0; i < count; ++i)
        if (s[i].present != 0)
            values.push_back(s[i].group);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    const auto groups = static_cast<std::int32_t>(values.size());
    std::vector<std::int32_t> dense(static_cast<std::size_t>(count), -1);
    for (std::int32_t i = 0; i < count; ++i)
        if (s[i].present != 0)
            dense[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(
                std::lower_bound(values.begin(), values.end(), s[i].group) - values.begin());
    auto groupOf = [&dense](std::int32_t slot) { return dense[static_cast<std::size_t>(slot)]; };

    // Free givers in random order; free takers bucketed by group.
    std::vector<std::int32_t> givers;
    std::vector<std::int32_t> bucketSize(static_cast<std::size_t>(groups), 0);
    for (std::int32_t i = 0; i < count; ++i) {
        if (s[i].present == 0)
            continue;
        if (s[i].taker == kNoSlot)
            givers.push_back(i);
        if (s[i].giver == kNoSlot)
            ++bucketSize[static_cast<std::size_t>(groupOf(i))];
    }
    for (std::size_t i = givers.size(); i > 1; --i)
        std::swap(givers[i - 1], givers[random.Next(static_cast<std::uint32_t>(i))]);

    std::vector<std::int32_t> bucketStart(static_cast<std::size_t>(groups) + 1, 0);
    for (std::int32_t d = 0; d < groups; ++d)
        bucketStart[static_cast<std::size_t>(d) + 1]
            = bucketStart[static_cast<std::size_t>(d)] + bucketSize[static_cast<std::size_t>(d)];
    std::vector<std::int32_t> pool(static_cast<std::size_t>(bucketStart.back()));
    {
        std::vector<std::int32_t> fill(bucketStart.begin(), bucketStart.end() - 1);
        for (std::int32_t i = 0; i < count; ++i)
            if (s[i].present != 0 && s[i].giver == kNoSlot)
                pool[static_cast<std::size_t>(fill[static_cast<std::size_t>(groupOf(i))]++)] = i;
    }
    TGroupCounts counts(groups);
    for (std::int32_t d = 0; d < groups; ++d)
        counts.Add(d, bucketSize[static_cast<std::size_t>(d)]);
    auto pooled = static_cast<std::int32_t>(pool.size());

    // Direct links: each free giver takes a random free taker of another group, if any is left.
    std::vector<std::int32_t> leftover;
    for (const std::int32_t g : givers) {
        const std::int32_t own = groupOf(g);
        const std::int32_t ownFree = bucketSize[static_cast<std::size_t>(own)];
        const std::int32_t choices = pooled - ownFree;
        if (choices == 0) {
            leftover.push_back(g);
            continue;
        }
        auto rank = static_cast<std::int32_t>(random.Next(static_cast<std::uint32_t>(choices)));
        if (rank >= counts.Before(own))
            rank += ownFree;
        const std::int32_t d = counts.Find(rank);
        const auto at = static_cast<std::size_t>(bucketStart[static_cast<std::size_t>(d)] + rank - counts.Before(d));
        const auto last = static_cast<std::size_t>(
            bucketStart[static_cast<std::size_t>(d)] + bucketSize[static_cast<std::size_t>(d)] - 1);
        const std::int32_t t = pool[at];
        pool[at] = pool[last];
        --bucketSize[static_cast<std::size_t>(d)];
        counts.Add(d, -1);
        --pooled;
        board.Link(g, t);
    }
    if (leftover.empty())
        return;

    // Everything left is of one group: reroute randomly chosen links that avoid it.
    const std::int32_t a = groupOf(leftover.front());
    const std::int32_t* left = pool.data() + bucketStart[static_cast<std::size_t>(a)];
    if (bucketSize[static_cast<std::size_t>(a)] != static_cast<std::int32_t>(leftover.size()))
        throw std::logic_error("Assignment completion: the free participants are not of one group");
    std::vector<std::int32_t> bypass;
    for (std::int32_t i = 0; i < count; ++i)
        if (s[i].present != 0 && s[i].taker != kNoSlot && groupOf(i) != a && groupOf(s[i].taker) != a)
            bypass.push_back(i);
    if (bypass.size() < leftover.size())
        throw std::logic_error("Assignment completion: a group holds more than half of the participants");
    for (std::size_t q = 0; q < leftover.size(); ++q) {
        const std::size_t pick = q + random.Next(static_cast<std::uint32_t>(bypass.size() - q));
        std::swap(bypass[q], bypass[pick]);
        const std::int32_t p = bypass[q];
        const std::int32_t t1 = s[p].taker;
        board.Link(leftover[q], t1);
        board.Link(p, left[q]);
    }
}

template void CompleteBoard<TRandomSource>(TDrawBoard&, TRandomSource&);
template void CompleteBoard<IRandomNumbers>(TDrawBoard&, IRandomNumbers&);
