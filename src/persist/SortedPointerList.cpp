#include "persist/SortedPointerList.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxChunk = 512;
constexpr std::less<const void*> AddressLess {};

} // namespace

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
        return count_;
    std::size_t position = place.offset;
    for (std::size_t i = 0; i < place.chunk; ++i)
        position += chunks_[i].size();
    return static_cast<int>(position);
}

TSortedPointerList::FindResult TSortedPointerList::Find(const void* p) const
{
    std::lock_guard lock(lock_);
    if (count_ == 0)
        return { false, 0 };
    if (chunks_.front().front() == p)
        return { true, 0 };
    if (chunks_.back().back() == p)
        return { true, count_ - 1 };
    const Place place = Locate(p);
    return { place.found, PositionOf(place) };
}

int TSortedPointerList::Add(const void* p)
{
    std::lock_guard lock(lock_);
    Place place = Locate(p);
    const int position = PositionOf(place);
    if (place.found)
        return position;
    if (chunks_.empty()) {
        chunks_.emplace_back();
        place = { 0, 0, false };
    } else if (place.chunk == chunks_.size()) {
        place = { chunks_.size() - 1, chunks_.back().size(), false };
    }
    std::vector<const void*>& chunk = chunks_[place.chunk];
    chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset), p);
    ++count_;
    if (chunk.size() > kMaxChunk) {
        std::vector<const void*> upper(chunk.begin() + kMaxChunk / 2, chunk.end());
        chunk.resize(kMaxChunk / 2);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1, std::move(upper));
    }
    return position;
}

bool TSortedPointerList::Remove(const void* p)
{
    std::lock_guard lock(lock_);
    if (count_ == 0)
        return false;
    const Place place = Locate(p);
    if (!place.found)
        return false;
    std::vector<const void*>& chunk = chunks_[place.chunk];
    chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset));
    if (chunk.empty())
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
    --count_;
    return true;
}

const void* TSortedPointerList::Items(int index) const
{
    if (index < 0 || index >= count_)
        throw std::out_of_range("TSortedPointerList::Items: index out of range");
    std::size_t rest = static_cast<std::size_t>(index);
    for (const std::vector<const void*>& chunk : chunks_) {
        if (rest < chunk.size())
            return chunk[rest];
        rest -= chunk.size();
    }
    throw std::out_of_range("TSortedPointerList::Items: index out of range");
}
