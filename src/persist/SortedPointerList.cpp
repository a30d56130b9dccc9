#include "persist/SortedPointerList.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxChunk = 512;
constexpr std::less<const void*> AddressLess {};

} // namespace

void TSortedPointerList::Order() const
{
    if (ordered_)
        return;
    std::vector<const void*> all = members_.Addresses();
    std::sort(all.begin(), all.end(), AddressLess);
    chunks_.clear();
    for (std::size_t at = 0; at < all.size(); at += kMaxChunk / 2) {
        const std::size_t end = std::min(all.size(), at + kMaxChunk / 2);
        chunks_.emplace_back(
            all.begin() + static_cast<std::ptrdiff_t>(at), all.begin() + static_cast<std::ptrdiff_t>(end));
    }
    ordered_ = true;
}

TSortedPointerList::Place TSortedPointerList::Locate(const void* p) const
{
    // The first chunk whose last item is not below p holds p, or the place for it.
    const auto chunk = std::partition_point(
        chunks_.begin(), chunks_.end(), [p](const std::vector<const void*>& c) { return AddressLess(c.back(), p); });
    if (chunk == chunks_.end())
        return { chunks_.size(), 0, false };
    const auto it = std::lower_bound(chunk->begin(), chunk->end(), p, AddressLess);
    return { static_cast<std::size_t>(chunk - chunks_.begin()), static_cast<std::size_t>(it - chunk->begin()),
        *it == p };
}

int TSortedPointerList::PositionOf(const Place& place) const
{
    if (place.chunk == chunks_.size())
        return Count();
    std::size_t position = place.offset;
    for (std::size_t i = 0; i < place.chunk; ++i)
        position += chunks_[i].size();
    return static_cast<int>(position);
}

TSortedPointerList::FindResult TSortedPointerList::Find(const void* p) const
{
    std::lock_guard lock(lock_);
    if (members_.Size() == 0)
        return { false, 0 };
    Order();
    if (chunks_.front().front() == p)
        return { true, 0 };
    if (chunks_.back().back() == p)
        return { true, Count() - 1 };
    const Place place = Locate(p);
    return { place.found, PositionOf(place) };
}

int TSortedPointerList::Add(const void* p)
{
    std::lock_guard lock(lock_);
    Order();
    Place place = Locate(p);
    const int position = PositionOf(place);
    if (!members_.Insert(p))
        return position;
    if (chunks_.empty()) {
        chunks_.emplace_back();
        place = { 0, 0, false };
    } else if (place.chunk == chunks_.size()) {
        place = { chunks_.size() - 1, chunks_.back().size(), false };
    }
    std::vector<const void*>& chunk = chunks_[place.chunk];
    chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset), p);
    if (chunk.size() > kMaxChunk) {
        std::vector<const void*> upper(chunk.begin() + kMaxChunk / 2, chunk.end());
        chunk.resize(kMaxChunk / 2);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1, std::move(upper));
    }
    return position;
}

bool TSortedPointerList::Insert(const void* p)
{
    std::lock_guard lock(lock_);
    if (!members_.Insert(p))
        return false;
    ordered_ = false;
    return true;
}

bool TSortedPointerList::Remove(const void* p)
{
    std::lock_guard lock(lock_);
    if (!members_.Erase(p))
        return false;
    if (members_.Size() == 0) {
        chunks_.clear();
        ordered_ = true;
    } else if (ordered_) {
        const Place place = Locate(p);
        std::vector<const void*>& chunk = chunks_[place.chunk];
        chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset));
        if (chunk.empty())
            chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
    }
    return true;
}

const void* TSortedPointerList::Items(int index) const
{
    std::lock_guard lock(lock_);
    if (index < 0 || index >= Count())
        throw std::out_of_range("TSortedPointerList::Items: index out of range");
    Order();
    std::size_t rest = static_cast<std::size_t>(index);
    for (const std::vector<const void*>& chunk : chunks_) {
        if (rest < chunk.size())
            return chunk[rest];
        rest -= chunk.size();
    }
    throw std::out_of_range("TSortedPointerList::Items: index out of range");
}
