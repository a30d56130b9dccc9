#pragma once
// A set of addresses in a flat hash table: insertion, removal and lookup in constant time,
// the membership store behind the live-object account.

#include <cstddef>
#include <cstdint>
#include <vector>

class TAddressSet {
public:
    /// Adds p; false when it was there already.
    bool Insert(const void* p);
    /// Removes p; false when it was not there.
    bool Erase(const void* p);
    bool Contains(const void* p) const;
    std::size_t Size() const { return size_ + (hasNull_ ? 1 : 0); }
    /// Every address, in no particular order.
    std::vector<const void*> Addresses() const;

private:
    // Open addressing with linear probing at most half full; a removal shifts the entries
    // behind it back, so no tombstones pile up while tens of thousands come and go.
    std::size_t Home(const void* p) const;
    std::size_t Probe(const void* p) const; // p's slot, or the free slot where it would go
    void Grow();

    std::vector<const void*> slots_; // nullptr: free
    std::size_t size_ = 0;
    unsigned bits_ = 0; // log2 of the table's size
    bool hasNull_ = false; // nullptr marks a free slot, so it is kept aside
};
