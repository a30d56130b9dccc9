#pragma once
// A hash index of a string list's texts, letter case ignored, answering as the list's own
// IndexOf does (the first entry of a text wins) in constant time instead of a scan.

#include "persist/StringList.h"

#include <cstdint>
#include <string_view>
#include <vector>

class TStringListIndex {
public:
    /// Indexes the texts `list` holds now; the list must not change while the index is used.
    explicit TStringListIndex(const TStringList& list);

    /// Index of the first entry whose text equals `text` without regard to letter case, or -1.
    int IndexOf(std::string_view text) const { return IndexOf(text, Hash(text)); }

    // The same in two halves, for callers that look up many texts: lookups land all over the
    // table, so each one's slot is fetched (Prefetch) while earlier ones are answered.
    static std::uint32_t Hash(std::string_view text);
    void Prefetch(std::uint32_t hash) const { __builtin_prefetch(&slots_[Home(hash)]); }
    /// IndexOf for a text whose Hash is `hash`.
    int IndexOf(std::string_view text, std::uint32_t hash) const;

private:
    // Open addressing, linear probing, at most half full: a slot keeps the hash beside the
    // entry, so a probe compares texts only when the hashes agree.
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t entry = -1; // -1: free
    };

    std::size_t Home(std::uint32_t hash) const { return hash & mask_; }

    const TStringList& list_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};
