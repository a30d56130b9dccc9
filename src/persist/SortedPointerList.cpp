#include "persist/SortedPointerList.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxChunk = 512;
constexpr std::less<const void*> AddressLess {};
// Marks a free seat; no object lies at the last address there is, and nullptr is an address.
const void* const kFreeSeat = reinterpret_cast<const void*>(~std::uintptr_t { 0 });

// The list whose lock this thread holds through a THold, if any.
constinit thread_local const TSortedPointerList* heldHere = nullptr;

} // namespace

TSortedPointerList::THold::THold(const TSortedPointerList& list)
    : lock_(list.lock_)
    , before_(heldHere)
{
    heldHere = &list;
}

TSortedPointerList::THold::~THold()
{
    heldHere = before_;
}

std::unique_lock<std::recursive_mutex> TSortedPointerList::Enter() const
{
    if (heldHere == this)
        return {};
    return std::unique_lock(lock_);
}

void TSortedPointerList::Order() const
{
    if (ordered_)
        return;
    std::vector<Item> all;
    all.reserve(count_);
    for (std::size_t seat = 0; seat < seats_.size(); ++seat)
        if (seats_[seat] != kFreeSeat)
            all.push_back({ seats_[seat], static_cast<TSeat>(seat) });
    std::sort(all.begin(), all.end(), [](const Item& a, const Item& b) { return AddressLess(a.p, b.p); });
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
        chunks_.begin(), chunks_.end(), [p](const std::vector<Item>& c) { return AddressLess(c.back().p, p); });
    if (chunk == chunks_.end())
        return { chunks_.size(), 0, false };
    const auto it = std::lower_bound(
        chunk->begin(), chunk->end(), p, [](const Item& a, const void* b) { return AddressLess(a.p, b); });
    return { static_cast<std::size_t>(chunk - chunks_.begin()), static_cast<std::size_t>(it - chunk->begin()),
        it->p == p };
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

TSortedPointerList::TSeat TSortedPointerList::TakeSeat(const void* p)
{
    TSeat seat = 0;
    if (freeSeats_.empty()) {
        seat = static_cast<TSeat>(seats_.size());
        seats_.push_back(p);
    } else {
        seat = freeSeats_.back();
        freeSeats_.pop_back();
        seats_[seat] = p;
    }
    ++count_;
    return seat;
}

void TSortedPointerList::FreeSeat(TSeat seat)
{
    seats_[seat] = kFreeSeat;
    --count_;
    if (count_ == 0) {
        // Nobody left: the seats start afresh, and the empty list is in order.
        seats_.clear();
        freeSeats_.clear();
        chunks_.clear();
        ordered_ = true;
    } else {
        freeSeats_.push_back(seat);
    }
}

void TSortedPointerList::Unchunk(const Place& place)
{
    std::vector<Item>& chunk = chunks_[place.chunk];
    chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset));
    if (chunk.empty())
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
}

TSortedPointerList::FindResult TSortedPointerList::Find(const void* p) const
{
    std::lock_guard lock(lock_);
    if (count_ == 0)
        return { false, 0 };
    Order();
    if (chunks_.front().front().p == p)
        return { true, 0 };
    if (chunks_.back().back().p == p)
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
    if (place.found)
        return position;
    const TSeat seat = TakeSeat(p);
    if (chunks_.empty()) {
        chunks_.emplace_back();
        place = { 0, 0, false };
    } else if (place.chunk == chunks_.size()) {
        place = { chunks_.size() - 1, chunks_.back().size(), false };
    }
    std::vector<Item>& chunk = chunks_[place.chunk];
    chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset), Item { p, seat });
    if (chunk.size() > kMaxChunk) {
        std::vector<Item> upper(chunk.begin() + kMaxChunk / 2, chunk.end());
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
    Order();
    const Place place = Locate(p);
    if (!place.found)
        return false;
    const TSeat seat = chunks_[place.chunk][place.offset].seat;
    Unchunk(place);
    FreeSeat(seat);
    return true;
}

TSortedPointerList::TSeat TSortedPointerList::InsertNew(const void* p)
{
    const auto lock = Enter();
    ordered_ = false;
    return TakeSeat(p);
}

bool TSortedPointerList::RemoveSeated(const void* p, TSeat seat)
{
    const auto lock = Enter();
    // The seat is another member's, or free, once p has been removed by address.
    if (seat >= seats_.size() || seats_[seat] != p)
        return false;
    if (ordered_)
        Unchunk(Locate(p));
    FreeSeat(seat);
    return true;
}

const void* TSortedPointerList::Items(int index) const
{
    std::lock_guard lock(lock_);
    if (index < 0 || index >= Count())
        throw std::out_of_range("TSortedPointerList::Items: index out of range");
    Order();
    std::size_t rest = static_cast<std::size_t>(index);
    for (const std::vector<Item>& chunk : chunks_) {
        if (rest < chunk.size())
            return chunk[rest].p;
        rest -= chunk.size();
    }
    throw std::out_of_range("TSortedPointerList::Items: index out of range");
}
