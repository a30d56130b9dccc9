#include "persist/AnsiText.h"

#include <functional>

char AnsiUpperChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<char>(u - 32);
    // Latin-1 lower-case letters à..þ, except the division sign ÷ (0xF7).
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<char>(u - 32);
    switch (u) {
    case 0x9A:
        return static_cast<char>(0x8A); // š
    case 0x9C:
        return static_cast<char>(0x8C); // œ
    case 0x9E:
        return static_cast<char>(0x8E); // ž
    case 0xFF:
        return static_cast<char>(0x9F); // ÿ
    default:
        return c;
    }
}

std::string AnsiUpperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AnsiUpperChar(c);
    return out;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i]))
            return false;
    return true;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AnsiUpperChar(a[i]));
        const auto cb = static_cast<unsigned char>(AnsiUpperChar(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t AnsiCaseInsensitiveHash::operator()(std::string_view text) const
{
    // FNV-1a over the folded bytes: no temporary string per lookup.
    std::size_t h = 1469598103934665603ull;
    for (char c : text) {
        h ^= static_cast<unsigned char>(AnsiUpperChar(c));
        h *= 1099511628211ull;
    }
    return h;
}
