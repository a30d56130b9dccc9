#include "draw/DrawRules.h"

#include <algorithm>
#include <bit>
#include <numeric>

TDrawRules::TDrawRules(const std::vector<std::int32_t>& groups, const std::vector<TPersonPair>& excluded)
{
    NumberGroups(groups);
    IndexExclusions(excluded);
}

void TDrawRules::NumberGroups(const std::vector<std::int32_t>& groups)
{
    const std::size_t n = groups.size();
    order_.resize(n);
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&groups](std::int32_t a, std::int32_t b) {
        return groups[static_cast<std::size_t>(a)] < groups[static_cast<std::size_t>(b)];
    });
    group_.resize(n);
    position_.resize(n);
    groupStart_.assign(1, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const auto person = static_cast<std::size_t>(order_[k]);
        if (k > 0 && groups[person] != groups[static_cast<std::size_t>(order_[k - 1])])
            groupStart_.push_back(static_cast<std::int32_t>(k));
        group_[person] = static_cast<std::int32_t>(groupStart_.size()) - 1;
        position_[person] = static_cast<std::int32_t>(k);
    }
    groupStart_.push_back(static_cast<std::int32_t>(n));
    if (n == 0)
        groupStart_.assign(1, 0);
}

void TDrawRules::IndexExclusions(const std::vector<TPersonPair>& excluded)
{
    // Counting sort by giver, then each giver's few takers sorted and made unique.
    const std::size_t n = group_.size();
    std::vector<std::int32_t> count(n + 1, 0);
    for (const auto& [giver, taker] : excluded)
        ++count[static_cast<std::size_t>(giver) + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    std::vector<std::int32_t> items(excluded.size());
    std::vector<std::int32_t> fill(count.begin(), count.end() - 1);
    for (const auto& [giver, taker] : excluded)
        items[static_cast<std::size_t>(fill[static_cast<std::size_t>(giver)]++)] = taker;

    outStart_.assign(n + 1, 0);
    outItems_.clear();
    outItems_.reserve(items.size());
    for (std::size_t g = 0; g < n; ++g) {
        const auto begin = items.begin() + count[g];
        const auto end = items.begin() + count[g + 1];
        std::sort(begin, end);
        std::unique_copy(begin, end, std::back_inserter(outItems_));
        outStart_[g + 1] = static_cast<std::int32_t>(outItems_.size());
    }
    BuildFilter();
}

void TDrawRules::BuildFilter()
{
    // About 16 bits per excluded pair: a pair that is not excluded finds its bit set
    // (and goes on to the binary search) about once in sixteen.
    const std::uint64_t bits = std::bit_ceil(std::max<std::uint64_t>(64, 16 * outItems_.size()));
    filter_.assign(bits / 64, 0);
    filterMask_ = bits - 1;
    for (std::int32_t g = 0; g < Count(); ++g)
        for (std::int32_t k = outStart_[static_cast<std::size_t>(g)]; k < outStart_[static_cast<std::size_t>(g) + 1];
             ++k) {
            const std::uint64_t bit = FilterBit(g, outItems_[static_cast<std::size_t>(k)]);
            filter_[bit / 64] |= std::uint64_t { 1 } << (bit % 64);
        }
}

std::uint64_t TDrawRules::FilterBit(std::int32_t giver, std::int32_t taker) const
{
    std::uint64_t h
        = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(giver)) << 32) | static_cast<std::uint32_t>(taker);
    h *= 0x9E3779B97F4A7C15ull;
    return (h >> 29) & filterMask_;
}

std::int32_t TDrawRules::LargestGroup() const
{
    std::int32_t largest = 0;
    for (std::int32_t g = 1; g < Groups(); ++g)
        if (GroupSize(g) > GroupSize(largest))
            largest = g;
    return largest;
}

bool TDrawRules::Excluded(std::int32_t giver, std::int32_t taker) const
{
    if (outItems_.empty())
        return false;
    const std::uint64_t bit = FilterBit(giver, taker);
    if ((filter_[bit / 64] >> (bit % 64) & 1u) == 0)
        return false;
    const auto begin = outItems_.begin() + outStart_[static_cast<std::size_t>(giver)];
    const auto end = outItems_.begin() + outStart_[static_cast<std::size_t>(giver) + 1];
    return std::binary_search(begin, end, taker);
}
