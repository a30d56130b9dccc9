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
    int IndexOf(std::string_view text) const;
    /// IndexOf of every text, in order. A register's lookups land all over the table: done
    /// together, each one's slot is fetched from memory while the ones before are answered.
    std::vector<int> IndexOfEach(const std::vector<std::string_view>& texts) const;

private:
    // Open addressing, linear probing, at most half full: a slot keeps the hash beside the
    // entry, so a probe compares texts only when the hashes agree.
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t entry = -1; // -1: free
    };

    static std::uint32_t Hash(std::string_view text);
    std::size_t Home(std::uint32_t hash) const { return hash & mask_; }
    int Find(std::string_view text, std::uint32_t hash) const;

    const TStringList& list_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};
