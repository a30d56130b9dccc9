#include "mail/MailAddress.h"

#include <algorithm>

namespace mail {

namespace {

    // What SMTP's reverse and forward paths allow (RFC 5321 4.5.3.1.3).
    constexpr std::size_t kAddressLimit = 254;
    constexpr std::size_t kLocalPartLimit = 64;

    bool IsAtext(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
    }

    /// Atoms of atext joined by single dots, none empty.
    bool IsDotAtom(std::string_view text)
    {
        if (text.empty() || text.front() == '.' || text.back() == '.' || text.find("..") != std::string_view::npos)
            return false;
        return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || IsAtext(c); });
    }

    /// A quoted string of printable ASCII, with backslash pairs.
    bool IsQuotedString(std::string_view text)
    {
        if (text.size() < 2 || text.front() != '"' || text.back() != '"')
            return false;
        for (std::size_t k = 1; k + 1 < text.size(); ++k) {
            if (text[k] == '\\' && k + 2 < text.size())
                ++k;
            else if (text[k] == '"' || text[k] == '\\')
                return false;
            if (text[k] < 0x20 || text[k] > 0x7E)
                return false;
        }
        return true;
    }

    /// A domain literal: "[" printable ASCII without brackets or backslash "]".
    bool IsDomainLiteral(std::string_view text)
    {
        return text.size() > 2 && text.front() == '[' && text.back() == ']'
            && std::all_of(text.begin() + 1, text.end() - 1,
                [](char c) { return c > 0x20 && c < 0x7F && c != '[' && c != ']' && c != '\\'; });
    }

} // namespace

bool IsMailAddress(std::string_view address)
{
    const std::size_t at = address.rfind('@');
    if (address.size() > kAddressLimit || at == std::string_view::npos || at > kLocalPartLimit)
        return false;
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    return (IsDotAtom(local) || IsQuotedString(local)) && (IsDotAtom(domain) || IsDomainLiteral(domain));
}

std::string_view DomainOf(std::string_view address)
{
    const std::size_t at = address.rfind('@');
    return at == std::string_view::npos ? std::string_view() : address.substr(at + 1);
}

std::string MailboxKey(std::string_view address)
{
    std::string key(address);
    std::transform(key.begin(), key.end(), key.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return key;
}

} // namespace mail
