#pragma once
// The participants in the compact form the draw works on: one 16-byte slot per list
// entry, links as entry indices. The records are read once before the passes and
// written once after them, so the passes touch one small array and allocate nothing.

#include "persist/StringList.h"

#include <cstdint>
#include <vector>

class TCCUser;

inline constexpr std::int32_t kNoSlot = -1;
/// Both links of an entry without a participant record: it neither gives nor is taken.
/// As a taker it reads as "already gives", so a pass that starts there ends at once.
inline constexpr std::int32_t kAbsent = -2;
/// The taker of a record that gives, while the passes run: which entry it gives to is
/// worked out from the givers afterwards (TDrawBoard::SettleTakers).
inline constexpr std::int32_t kUnsettled = -3;

/// What a step of the passes reads and writes: 8 bytes, so that the slots of a large
/// register stay in the core's own cache. The takers, which a step never reads, are kept
/// apart (TDrawBoard::Takers).
struct TDrawSlot {
    std::int32_t group = 0;
    std::int32_t giver = kAbsent;

    bool Present() const { return giver != kAbsent; }
    /// A record still without a giver.
    bool FreeTaker() const { return giver == kNoSlot; }
};

class TDrawBoard {
public:
    enum class TLinks {
        None, ///< no link: the start of a draw (Store then writes every record's links)
        Imported, ///< the links a draw could have made are copied, the records stay as they are
    };

    /// One slot and one taker per entry of `participants`, in list order. An imported link must have its
    /// taker in another group, both ends records, and the taker's Giver pointing back.
    TDrawBoard(const TStringList& participants, TLinks links);
    /// Writes every slot's links into its record (Taker and Giver both).
    void Store() const;

    std::int32_t Count() const { return static_cast<std::int32_t>(slots_.size()); }
    std::int32_t Records() const { return records_; }
    /// Records without a taker (the same number are without a giver).
    std::int32_t Unassigned() const { return unassigned_; }
    /// For passes that keep the count in a local while they run.
    void SetUnassigned(std::int32_t unassigned) { unassigned_ = unassigned; }

    TDrawSlot* Slots() { return slots_.data(); }
    const TDrawSlot* Slots() const { return slots_.data(); }
    /// Each entry's taker (an entry index, kNoSlot, kAbsent or kUnsettled).
    std::int32_t* Takers() { return takers_.data(); }
    std::int32_t Taker(std::int32_t i) const { return takers_[static_cast<std::size_t>(i)]; }
    /// A record still without a taker.
    bool FreeGiver(std::int32_t i) const { return Taker(i) == kNoSlot; }
    bool Gives(std::int32_t i) const { return Taker(i) >= 0; }

    /// g gives to c; c's former giver, if any, loses c and is returned (kNoSlot otherwise).
    std::int32_t Link(std::int32_t g, std::int32_t c)
    {
        TDrawSlot* s = slots_.data();
        std::int32_t* t = takers_.data();
        const std::int32_t former = s[c].giver;
        if (former != kNoSlot) {
            t[former] = kNoSlot;
            ++unassigned_;
        }
        t[g] = c;
        s[c].giver = g;
        --unassigned_;
        return former;
    }

    /// Works out every record's taker from the givers, after passes that leave them
    /// unsettled: each slot's taker and giver are links that point back again.
    void SettleTakers();

    /// True when some GroupNo value is held by more than half of the records: then no
    /// complete assignment exists.
    bool SomeGroupOverHalf() const;

private:
    void ImportLinks();

    std::vector<TDrawSlot> slots_;
    std::vector<std::int32_t> takers_;
    std::vector<TCCUser*> users_;
    std::int32_t records_ = 0;
    std::int32_t unassigned_ = 0;
};

/// Completes the partial assignment on `board` so that every record gives to exactly one
/// record of another group and is taken exactly once. Existing links stay, except that a
/// few may be rerouted when the free participants are all of one group. Requires that no
/// group holds more than half of the records (see SomeGroupOverHalf). `Random` is any type
/// with `std::uint32_t Next(std::uint32_t n)`; the two generators of a TRandomSource and
/// IRandomNumbers are built.
template <class Random> void CompleteBoard(TDrawBoard& board, Random& random);
