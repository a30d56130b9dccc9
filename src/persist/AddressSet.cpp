#include "persist/AddressSet.h"

#include <bit>

std::size_t TAddressSet::Home(const void* p) const
{
    // Objects made one after another lie one after another in memory, and are mostly freed
    // in that order too: neighbouring addresses get neighbouring slots, so that a register
    // of tens of thousands walks the table a cache line per few objects instead of jumping
    // about it (an object spans at least 64 bytes, so one slot per 64 bytes of address). The
    // higher bits are folded in, so that addresses a table's span apart do not pile up.
    const std::uintptr_t x = reinterpret_cast<std::uintptr_t>(p) >> 6;
    return static_cast<std::size_t>((x ^ (x >> bits_)) & (slots_.size() - 1));
}

std::size_t TAddressSet::Probe(const void* p) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Home(p);
    while (slots_[at] != nullptr && slots_[at] != p)
        at = (at + 1) & mask;
    return at;
}

void TAddressSet::Grow()
{
    std::vector<const void*> old(slots_.size() < 16 ? 32 : 2 * slots_.size(), nullptr);
    old.swap(slots_);
    bits_ = static_cast<unsigned>(std::countr_zero(slots_.size()));
    for (const void* p : old)
        if (p != nullptr)
            slots_[Probe(p)] = p;
}

bool TAddressSet::Insert(const void* p)
{
    if (p == nullptr) {
        const bool added = !hasNull_;
        hasNull_ = true;
        return added;
    }
    if (2 * (size_ + 1) > slots_.size())
        Grow();
    const std::size_t at = Probe(p);
    if (slots_[at] == p)
        return false;
    slots_[at] = p;
    ++size_;
    return true;
}

bool TAddressSet::Erase(const void* p)
{
    if (p == nullptr) {
        const bool removed = hasNull_;
        hasNull_ = false;
        return removed;
    }
    if (size_ == 0)
        return false;
    std::size_t hole = Probe(p);
    if (slots_[hole] != p)
        return false;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (hole + 1) & mask; slots_[at] != nullptr; at = (at + 1) & mask) {
        // An entry may fill the hole when its home is not between the hole and itself.
        const std::size_t home = Home(slots_[at]);
        const bool stays = hole <= at ? (hole < home && home <= at) : (hole < home || home <= at);
        if (!stays) {
            slots_[hole] = slots_[at];
            hole = at;
        }
    }
    slots_[hole] = nullptr;
    --size_;
    return true;
}

bool TAddressSet::Contains(const void* p) const
{
    if (p == nullptr)
        return hasNull_;
    return size_ != 0 && slots_[Probe(p)] == p;
}

std::vector<const void*> TAddressSet::Addresses() const
{
    std::vector<const void*> all;
    all.reserve(Size());
    if (hasNull_)
        all.push_back(nullptr);
    for (const void* p : slots_)
        if (p != nullptr)
            all.push_back(p);
    return all;
}
