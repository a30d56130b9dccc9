#include "persist/StringListIndex.h"

#include "persist/AnsiText.h"

#include <bit>

namespace {

// How many texts ahead a slot is fetched: enough to cover a trip to memory.
constexpr std::size_t kAhead = 16;

} // namespace

std::uint32_t TStringListIndex::Hash(std::string_view text)
{
    return static_cast<std::uint32_t>(AnsiCaseInsensitiveHash {}(text));
}

TStringListIndex::TStringListIndex(const TStringList& list)
    : list_(list)
{
    const auto count = static_cast<std::size_t>(list.Count());
    slots_.resize(std::bit_ceil(2 * count + 2));
    mask_ = slots_.size() - 1;
    std::vector<std::uint32_t> hashes(count);
    for (std::size_t i = 0; i < count; ++i)
        hashes[i] = Hash(list.Strings(static_cast<int>(i)));
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count)
            __builtin_prefetch(&slots_[Home(hashes[i + kAhead])], 1);
        const std::string& text = list.Strings(static_cast<int>(i));
        for (std::size_t at = Home(hashes[i]);; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.entry < 0) {
                slot = { hashes[i], static_cast<std::int32_t>(i) };
                break;
            }
            if (slot.hash == hashes[i] && AnsiSameText(list.Strings(slot.entry), text))
                break; // an earlier entry has this text
        }
    }
}

int TStringListIndex::IndexOf(std::string_view text, std::uint32_t hash) const
{
    for (std::size_t at = Home(hash);; at = (at + 1) & mask_) {
        const Slot& slot = slots_[at];
        if (slot.entry < 0)
            return -1;
        if (slot.hash == hash && AnsiSameText(list_.Strings(slot.entry), text))
            return slot.entry;
    }
}
