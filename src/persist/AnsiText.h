#pragma once
// Texts are single-byte (Windows-1252) everywhere in the core. Comparisons that
// "ignore letter case" fold the letters of that code page, not just a to z.

#include <cstddef>
#include <string>
#include <string_view>

/// Upper-case form of one Windows-1252 character (a-z, the accented Latin-1 letters, š œ ž ÿ).
char AnsiUpperChar(char c);

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
