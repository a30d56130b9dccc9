#pragma once
// Texts are single-byte (Windows-1252) everywhere in the core. Comparisons that
// "ignore letter case" fold the letters of that code page, not just a to z.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ansi_detail {

constexpr unsigned char FoldByte(unsigned char u)
{
    if (u >= 'a' && u <= 'z')
        return static_cast<unsigned char>(u - 32);
    // Latin-1 lower-case letters à..þ, except the division sign ÷ (0xF7).
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<unsigned char>(u - 32);
    switch (u) {
    case 0x9A:
        return 0x8A; // š
    case 0x9C:
        return 0x8C; // œ
    case 0x9E:
        return 0x8E; // ž
    case 0xFF:
        return 0x9F; // ÿ
    default:
        return u;
    }
}

/// FoldByte for every byte: a lookup per character where keys are hashed and compared.
inline constexpr std::array<unsigned char, 256> kUpper = [] {
    std::array<unsigned char, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = FoldByte(static_cast<unsigned char>(c));
    return table;
}();

/// Up to eight characters of `text` from `at` as one little-endian word, zero-padded.
inline std::uint64_t LoadWord(std::string_view text, std::size_t at)
{
    std::uint64_t word = 0;
    const std::size_t left = text.size() - at;
    if (left >= 8) {
        std::memcpy(&word, text.data() + at, 8);
        return word;
    }
    if (text.size() >= 8) {
        // The last eight characters, shifted down to the tail's.
        std::memcpy(&word, text.data() + text.size() - 8, 8);
        return word >> (8 * (8 - left));
    }
    // A short text assembled in a register: a short copy into memory read back whole
    // would wait for the stores to drain.
    for (std::size_t i = at; i < text.size(); ++i)
        word |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * (i - at));
    return word;
}

/// The word with each of its eight characters folded. Pure ASCII, the usual case, is
/// folded in a few operations on the whole word; other words character by character.
inline std::uint64_t FoldWord(std::uint64_t word)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    if ((word & kHighs) == 0) {
        // Per byte, no carry between bytes: the high bit says "at least 'a'", "above 'z'".
        const std::uint64_t fromA = word + kOnes * (0x80 - 'a');
        const std::uint64_t pastZ = word + kOnes * (0x80 - 'z' - 1);
        return word ^ ((fromA & ~pastZ & kHighs) >> 2);
    }
    std::uint64_t folded = 0;
    for (int i = 0; i < 64; i += 8)
        folded |= static_cast<std::uint64_t>(kUpper[(word >> i) & 0xFF]) << i;
    return folded;
}

} // namespace ansi_detail

/// Upper-case form of one Windows-1252 character (a-z, the accented Latin-1 letters, š œ ž ÿ).
inline char AnsiUpperChar(char c)
{
    return static_cast<char>(ansi_detail::kUpper[static_cast<unsigned char>(c)]);
}

/// The text with every letter folded to upper case; equal keys mean "equal without regard to case".
std::string AnsiUpperCase(std::string_view text);

/// True when a and b are equal without regard to letter case.
bool AnsiSameText(std::string_view a, std::string_view b);

/// <0, 0, >0 as a is before, equal to or after b, letter case ignored.
int AnsiCompareText(std::string_view a, std::string_view b);

/// Hash of the case-folded text, for case-insensitive hash indexes.
struct AnsiCaseInsensitiveHash {
    std::size_t operator()(std::string_view text) const;
};
struct AnsiCaseInsensitiveEqual {
    bool operator()(std::string_view a, std::string_view b) const { return AnsiSameText(a, b); }
};
