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

template <class T> T& At(std::vector<T>& items, std::int32_t i)
{
    return items[static_cast<std::size_t>(i)];
}
template <class T> const T& At(const std::vector<T>& items, std::int32_t i)
{
    return items[static_cast<std::size_t>(i)];
}
std::int32_t CountOf(const std::vector<std::int32_t>& items)
{
    return static_cast<std::int32_t>(items.size());
}

/// Group numbers may be any 32-bit values: each record's group is numbered densely
/// from 0 (an entry without a record keeps -1).
struct TDenseGroups {
    std::vector<std::int32_t> of; // per slot
    std::int32_t count = 0;
};

TDenseGroups NumberGroupsDensely(const TDrawBoard& board)
{
    const TDrawSlot* s = board.Slots();
    std::vector<std::int32_t> values;
    values.reserve(static_cast<std::size_t>(board.Records()));
    for (std::int32_t i = 0; i < board.Count(); ++i)
        if (s[i].Present())
            values.push_back(s[i].group);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    TDenseGroups groups { std::vector<std::int32_t>(static_cast<std::size_t>(board.Count()), -1), CountOf(values) };
    for (std::int32_t i = 0; i < board.Count(); ++i)
        if (s[i].Present())
            At(groups.of, i) = static_cast<std::int32_t>(
                std::lower_bound(values.begin(), values.end(), s[i].group) - values.begin());
    return groups;
}

/// The takers still without a giver, in one pool bucketed by group, so that a random one
/// outside a given group is found and removed in O(log groups).
class TFreeTakers {
public:
    TFreeTakers(const TDrawBoard& board, const TDenseGroups& groups)
        : start_(static_cast<std::size_t>(groups.count) + 1, 0)
        , size_(static_cast<std::size_t>(groups.count), 0)
        , counts_(groups.count)
    {
        const TDrawSlot* s = board.Slots();
        for (std::int32_t i = 0; i < board.Count(); ++i)
            if (s[i].FreeTaker())
                ++At(size_, At(groups.of, i));
        for (std::int32_t d = 0; d < groups.count; ++d) {
            At(start_, d + 1) = At(start_, d) + At(size_, d);
            counts_.Add(d, At(size_, d));
        }
        pool_.resize(static_cast<std::size_t>(start_.back()));
        std::vector<std::int32_t> fill(start_.begin(), start_.end() - 1);
        for (std::int32_t i = 0; i < board.Count(); ++i)
            if (s[i].FreeTaker())
                At(pool_, At(fill, At(groups.of, i))++) = i;
        pooled_ = CountOf(pool_);
    }

    /// How many free takers are outside `group`.
    std::int32_t OutsideOf(std::int32_t group) const { return pooled_ - At(size_, group); }

    /// Removes and returns the free taker of 0-based `rank` among those outside `group`,
    /// counted in group order.
    std::int32_t TakeOutsideOf(std::int32_t group, std::int32_t rank)
    {
        if (rank >= counts_.Before(group))
            rank += At(size_, group);
        const std::int32_t d = counts_.Find(rank);
        const std::int32_t at = At(start_, d) + rank - counts_.Before(d);
        const std::int32_t taker = At(pool_, at);
        At(pool_, at) = At(pool_, At(start_, d) + At(size_, d) - 1);
        --At(size_, d);
        counts_.Add(d, -1);
        --pooled_;
        return taker;
    }

    /// The free takers of `group`: their number, and where they stand in the pool.
    std::int32_t SizeOf(std::int32_t group) const { return At(size_, group); }
    const std::int32_t* Of(std::int32_t group) const { return pool_.data() + At(start_, group); }

private:
    std::vector<std::int32_t> pool_;
    std::vector<std::int32_t> start_; // where each group's bucket begins in the pool
    std::vector<std::int32_t> size_; // free takers left in each bucket
    TGroupCounts counts_;
    std::int32_t pooled_ = 0;
};

template <class Random> std::vector<std::int32_t> FreeGiversInRandomOrder(const TDrawBoard& board, Random& random)
{
    std::vector<std::int32_t> givers;
    for (std::int32_t i = 0; i < board.Count(); ++i)
        if (board.FreeGiver(i))
            givers.push_back(i);
    for (std::size_t i = givers.size(); i > 1; --i)
        std::swap(givers[i - 1], givers[random.Next(static_cast<std::uint32_t>(i))]);
    return givers;
}

/// Each free giver takes a random free taker of another group, while any is left;
/// returns the givers left over.
template <class Random>
std::vector<std::int32_t> LinkDirectly(TDrawBoard& board, const std::vector<std::int32_t>& givers,
    const TDenseGroups& groups, TFreeTakers& takers, Random& random)
{
    std::vector<std::int32_t> leftover;
    for (const std::int32_t g : givers) {
        const std::int32_t own = At(groups.of, g);
        const std::int32_t choices = takers.OutsideOf(own);
        if (choices == 0) {
            leftover.push_back(g);
            continue;
        }
        const auto rank = static_cast<std::int32_t>(random.Next(static_cast<std::uint32_t>(choices)));
        board.Link(g, takers.TakeOutsideOf(own, rank));
    }
    return leftover;
}

/// Everything left over is of one group: each leftover giver takes over the taker of a
/// randomly chosen link that avoids that group, whose giver takes a leftover taker.
template <class Random>
void Reroute(TDrawBoard& board, const std::vector<std::int32_t>& leftover, const TDenseGroups& groups,
    const TFreeTakers& takers, Random& random)
{
    const std::int32_t a = At(groups.of, leftover.front());
    const std::int32_t* left = takers.Of(a);
    if (takers.SizeOf(a) != CountOf(leftover))
        throw std::logic_error("Assignment completion: the free participants are not of one group");
    std::vector<std::int32_t> bypass;
    for (std::int32_t i = 0; i < board.Count(); ++i)
        if (board.Gives(i) && At(groups.of, i) != a && At(groups.of, board.Taker(i)) != a)
            bypass.push_back(i);
    if (bypass.size() < leftover.size())
        throw std::logic_error("Assignment completion: a group holds more than half of the participants");
    for (std::size_t q = 0; q < leftover.size(); ++q) {
        const std::size_t pick = q + random.Next(static_cast<std::uint32_t>(bypass.size() - q));
        std::swap(bypass[q], bypass[pick]);
        const std::int32_t p = bypass[q];
        const std::int32_t t1 = board.Taker(p);
        board.Link(leftover[q], t1);
        board.Link(p, left[q]);
    }
}

} // namespace

template <class Random> void CompleteBoard(TDrawBoard& board, Random& random)
{
    if (board.Unassigned() == 0)
        return;
    const TDenseGroups groups = NumberGroupsDensely(board);
    const std::vector<std::int32_t> givers = FreeGiversInRandomOrder(board, random);
    TFreeTakers takers(board, groups);
    const std::vector<std::int32_t> leftover = LinkDirectly(board, givers, groups, takers, random);
    if (!leftover.empty())
        Reroute(board, leftover, groups, takers, random);
}

template void CompleteBoard<TSeededRandom>(TDrawBoard&, TSeededRandom&);
template void CompleteBoard<TSecureRandom>(TDrawBoard&, TSecureRandom&);
template void CompleteBoard<IRandomNumbers>(TDrawBoard&, IRandomNumbers&);
