#pragma once
// An ordered set of addresses, the store behind the account of live objects.

#include "persist/Object.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

/// An ascending array of distinct addresses behind a re-entrant lock. Owns nothing.
/// The live-object list holds every participant, and a register of tens of thousands is
/// created and freed in one go: each member sits in a seat of a flat array, a new object
/// (InsertNew) takes a free seat and keeps its number, so that joining and leaving cost
/// the same at any size and no address is ever looked up; the order is worked out only
/// when a position is asked for. The ordered items are kept in chunks of bounded size,
/// so that an Add or a Remove while they are in order moves a chunk, not the whole array.
class TSortedPointerList : public TObject {
public:
    struct FindResult {
        bool found = false;
        int position = 0; // the item's position, or where p would go to keep the order
    };
    /// What a member added by InsertNew keeps, for RemoveSeated.
    using TSeat = std::uint32_t;

    FindResult Find(const void* p) const;
    /// Inserts p unless present; returns its position.
    int Add(const void* p);
    /// Deletes p; true when it was present.
    bool Remove(const void* p);
    /// Inserts p, which must not be present (a new object), without looking for it; returns
    /// its seat, which the caller keeps for RemoveSeated.
    TSeat InsertNew(const void* p);
    /// Remove(p) for a member InsertNew seated at `seat`: true when p was still there.
    bool RemoveSeated(const void* p, TSeat seat);
    int Count() const { return static_cast<int>(count_); }
    /// The item at position index (0-based); raises std::out_of_range outside the list.
    const void* Items(int index) const;
    /// The list's lock, held by this thread until the hold goes: the joins and leaves it
    /// makes meanwhile (InsertNew, RemoveSeated) do not take the lock at all.
    class THold {
    public:
        explicit THold(const TSortedPointerList& list);
        ~THold();
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        std::unique_lock<std::recursive_mutex> lock_;
        const TSortedPointerList* before_;
    };

private:
    struct Item {
        const void* p;
        TSeat seat;
    };
    struct Place {
        std::size_t chunk; // chunks_.size() when p is above every item
        std::size_t offset; // within the chunk
        bool found;
    };
    /// The lock, unless this thread holds it through a THold.
    std::unique_lock<std::recursive_mutex> Enter() const;
    /// Puts the chunks in order after insertions that skipped it. Called under the lock.
    void Order() const;
    Place Locate(const void* p) const;
    int PositionOf(const Place& place) const;
    TSeat TakeSeat(const void* p);
    void FreeSeat(TSeat seat);
    /// Takes the item at `place` out of the ordered chunks. Called while they are in order.
    void Unchunk(const Place& place);

    std::vector<const void*> seats_; // every member in a seat, and the free seats
    std::vector<TSeat> freeSeats_;
    std::size_t count_ = 0;
    // None empty; each ascending, and ascending from chunk to chunk. Valid while ordered_.
    mutable std::vector<std::vector<Item>> chunks_;
    mutable bool ordered_ = true;
    mutable std::recursive_mutex lock_;
};
