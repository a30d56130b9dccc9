#include "persist/AnsiText.h"

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
    using namespace ansi_detail;
    for (std::size_t at = 0; at < a.size(); at += 8) {
        const std::uint64_t wa = LoadWord(a, at);
        const std::uint64_t wb = LoadWord(b, at);
        if (wa != wb && FoldWord(wa) != FoldWord(wb))
            return false;
    }
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
    // Eight folded characters at a time, each word mixed by one multiplication: a character
    // at a time would put a multiplication per character on the chain. No temporary string.
    using namespace ansi_detail;
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = text.size() * kMix;
    for (std::size_t at = 0; at < text.size(); at += 8) {
        h = (h ^ FoldWord(LoadWord(text, at))) * kMix;
        h ^= h >> 29;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
}
