#include "mail/MimeText.h"

#include <algorithm>
#include <cstdint>

namespace mail {

namespace {

    constexpr char kHex[] = "0123456789ABCDEF";
    // Lines of a message are kept to 76 characters (RFC 2045, RFC 2047), 78 at most.
    constexpr std::size_t kLineLimit = 76;
    constexpr std::string_view kWordStart = "=?UTF-8?Q?";
    constexpr std::string_view kWordEnd = "?=";

    void AppendHex(std::string& out, unsigned char c)
    {
        out += '=';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }

    /// The length of the UTF-8 sequence starting at `at`, 0 when it is not one (overlong
    /// forms, surrogates and code points past U+10FFFF included). `codePoint` gets its value.
    std::size_t Utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& codePoint)
    {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
        const unsigned char lead = byte(0);
        std::size_t length = lead < 0x80  ? 1
            : lead >= 0xC2 && lead < 0xE0 ? 2
            : lead >= 0xE0 && lead < 0xF0 ? 3
            : lead >= 0xF0 && lead < 0xF5 ? 4
                                          : 0;
        if (length == 0 || at + length > text.size())
            return 0;
        codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(k) & 0xC0) != 0x80)
                return 0;
            codePoint = codePoint << 6 | (byte(k) & 0x3F);
        }
        const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
        const bool outside = (codePoint >= 0xD800 && codePoint < 0xE000) || codePoint > 0x10FFFF;
        return overlong || outside ? 0 : length;
    }

    bool IsPrintableAscii(std::string_view text)
    {
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    }

    /// RFC 5322 atext and the blank between words: a phrase of these needs no quotes.
    bool IsAtomText(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' '
            || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
    }

    /// The characters an encoded word in a phrase may carry as they are (RFC 2047 5.3).
    bool IsPlainInWord(unsigned char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '!' || c == '*'
            || c == '+' || c == '-' || c == '/';
    }

    /// The text as Q-encoded words, each whole UTF-8 sequences, the first fitting `firstRoom`
    /// characters and the others a line of their own; joined by folds, which a reader drops.
    std::string EncodedWords(std::string_view utf8, std::size_t firstRoom)
    {
        std::string result;
        std::string word;
        std::size_t room = std::max<std::size_t>(firstRoom, kWordStart.size() + kWordEnd.size() + 12);
        const auto close = [&] {
            result += result.empty() ? "" : "\r\n ";
            result += std::string(kWordStart) + word + std::string(kWordEnd);
            word.clear();
            room = kLineLimit - 1;
        };
        for (std::size_t at = 0; at < utf8.size();) {
            std::uint32_t ignored = 0;
            const std::size_t length = std::max<std::size_t>(Utf8Sequence(utf8, at, ignored), 1);
            std::string encoded;
            for (std::size_t k = 0; k < length; ++k) {
                const auto c = static_cast<unsigned char>(utf8[at + k]);
                if (c == ' ')
                    encoded += '_';
                else if (IsPlainInWord(c))
                    encoded += static_cast<char>(c);
                else
                    AppendHex(encoded, c);
            }
            if (!word.empty() && kWordStart.size() + word.size() + encoded.size() + kWordEnd.size() > room)
                close();
            word += encoded;
            at += length;
        }
        if (!word.empty() || result.empty())
            close();
        return result;
    }

    std::string Quoted(std::string_view text)
    {
        std::string quoted = "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        return quoted + '"';
    }

    /// Printable ASCII folded before blanks, so that lines stay short where words allow.
    std::string FoldAtBlanks(std::string_view text, std::size_t nameLength)
    {
        std::string result;
        std::size_t lineLength = nameLength;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(' ', start + 1);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view piece = text.substr(start, end - start);
            if (lineLength + piece.size() > kLineLimit + 2 && start > 0 && piece.front() == ' ') {
                result += "\r\n";
                lineLength = 0;
            }
            result += piece;
            lineLength += piece.size();
            start = end;
        }
        return result;
    }

    void QuotedPrintableLine(std::string_view line, std::string& out)
    {
        std::size_t lineLength = 0;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const auto c = static_cast<unsigned char>(line[k]);
            const bool last = k + 1 == line.size();
            std::string piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                piece = static_cast<char>(c);
            else
                AppendHex(piece, c);
            // Room for a soft break's "=" unless this is the line's last piece.
            if (lineLength + piece.size() > (last ? kLineLimit : kLineLimit - 1)) {
                out += "=\r\n";
                lineLength = 0;
            }
            out += piece;
            lineLength += piece.size();
        }
    }

} // namespace

bool IsHeaderSafe(std::string_view utf8)
{
    for (std::size_t at = 0; at < utf8.size();) {
        std::uint32_t c = 0;
        const std::size_t length = Utf8Sequence(utf8, at, c);
        if (length == 0 || c < 0x20 || (c >= 0x7F && c < 0xA0))
            return false;
        at += length;
    }
    return true;
}

std::string EncodePhrase(std::string_view utf8)
{
    if (std::all_of(utf8.begin(), utf8.end(), IsAtomText))
        return std::string(utf8);
    if (IsPrintableAscii(utf8))
        return Quoted(utf8);
    // An address header's name: "To: " and the name's first word share a line.
    return EncodedWords(utf8, kLineLimit - 4);
}

std::string EncodeUnstructured(std::string_view utf8, std::size_t nameLength)
{
    if (IsPrintableAscii(utf8))
        return FoldAtBlanks(utf8, nameLength);
    return EncodedWords(utf8, kLineLimit - nameLength);
}

std::string FileNameParameter(std::string_view utf8)
{
    if (IsPrintableAscii(utf8))
        return "filename=" + Quoted(utf8);
    std::string parameter = "filename*=UTF-8''";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        const bool attributeChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
        if (attributeChar) {
            parameter += static_cast<char>(c);
        } else {
            parameter += '%';
            parameter += kHex[c >> 4];
            parameter += kHex[c & 15];
        }
    }
    return parameter;
}

std::string QuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        const bool lastLine = end == std::string_view::npos;
        if (lastLine)
            end = text.size();
        QuotedPrintableLine(text.substr(start, end - start), out);
        if (!lastLine)
            out += "\r\n";
        start = lastLine ? end : end + 2;
    }
    return out;
}

std::string Base64Lines(std::string_view bytes)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t kGroupsPerLine = kLineLimit / 4;
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + (bytes.size() / (kGroupsPerLine * 3) + 1) * 2);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t groups = 0;
    for (std::size_t k = 0; k < bytes.size(); k += 3) {
        const std::size_t left = bytes.size() - k;
        const std::uint32_t triple = data[k] << 16 | (left > 1 ? data[k + 1] << 8 : 0) | (left > 2 ? data[k + 2] : 0);
        out += kAlphabet[triple >> 18];
        out += kAlphabet[(triple >> 12) & 63];
        out += left > 1 ? kAlphabet[(triple >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[triple & 63] : '=';
        if (++groups == kGroupsPerLine) {
            out += "\r\n";
            groups = 0;
        }
    }
    if (groups > 0)
        out += "\r\n";
    return out;
}

} // namespace mail
