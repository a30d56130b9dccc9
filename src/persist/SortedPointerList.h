#pragma once
// An ordered set of addresses, the store behind the account of live objects.

#include "persist/Object.h"

#include <cstddef>
#include <mutex>
#include <vector>

/// An ascending array of distinct addresses behind a re-entrant lock. Owns nothing.
/// The live-object list holds every participant, and a register of tens of thousands
/// is created and freed in one go: the items are kept in chunks of bounded size, so
/// that an insertion or removal moves a chunk, not the whole array.
class TSortedPointerList : public TObject {
public:
    struct FindResult {
        bool found = false;
        int position = 0; // the item's position, or where p would go to keep the order
    };

    FindResult Find(const void* p) const;
    /// Inserts p unless present; returns its position.
    int Add(const void* p);
    /// Deletes p; true when it was present.
    bool Remove(const void* p);
    int Count() const { return count_; }
    /// The item at position index (0-based); raises std::out_of_range outside the list.
    const void* Items(int index) const;

private:
    struct Place {
        std::size_t chunk; // chunks_.size() when p is above every item
        std::size_t offset; // within the chunk
        bool found;
    };
    Place Locate(const void* p) const;
    int PositionOf(const Place& place) const;

    std::vector<std::vector<const void*>> chunks_; // none empty; each ascending, and ascending from chunk to chunk
    int count_ = 0;
    mutable std::recursive_mutex lock_;
};
