#include "exchange/Csv.h"

#include "persist/AnsiText.h"
#include "platform/Windows1252.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The parser is fed pieces that end at every line end, and at this length within a long
// line, so that a header of millions of cells is given up before it has all been read.
constexpr std::size_t kPieceLength = 64 * 1024;

/// True when text[i] ends a line: an LF, or a CR that no LF follows.
bool EndsLine(std::string_view text, std::size_t i)
{
    return text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
}

bool IsLineEndByte(char c)
{
    return c == '\r' || c == '\n';
}

unsigned Byte(std::string_view text, std::size_t i)
{
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
}

/// The length of the well-formed UTF-8 sequence at text[i], as Unicode's table of
/// well-formed sequences has them (no overlong forms, no surrogates, nothing past
/// U+10FFFF); 0 when there is none. A sequence cut short by the end of a cell or of the
/// text is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const unsigned lead = Byte(text, i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80; // the range of the second byte
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (Byte(text, i + 1) < low || Byte(text, i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (Byte(text, i + k) < 0x80 || Byte(text, i + k) > 0xBF)
            return 0;
    return length;
}

std::string Hex(unsigned byte)
{
    static constexpr std::string_view kDigits = "0123456789abcdef";
    return { kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF] };
}

/// Whether any byte is not UTF-8, and whether any character beyond ASCII is.
struct TUtf8Survey {
    bool bad = false;
    bool multibyte = false;
};

TUtf8Survey SurveyUtf8(std::string_view text)
{
    TUtf8Survey survey;
    for (std::size_t i = 0; i < text.size() && !(survey.bad && survey.multibyte);) {
        if (Byte(text, i) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8Length(text, i);
        survey.bad = survey.bad || length == 0;
        survey.multibyte = survey.multibyte || length > 0;
        i += std::max<std::size_t>(length, 1);
    }
    return survey;
}

/// Refuses each line holding a byte that is not UTF-8, or only the first when the whole
/// file is in another encoding.
void RefuseBadLines(std::string_view text, bool otherEncoding, const TCsvRefusal& refuse)
{
    std::int64_t line = 1;
    std::size_t lineStart = 0;
    bool refused = false;
    for (std::size_t i = 0; i < text.size();) {
        if (EndsLine(text, i)) {
            ++line;
            lineStart = ++i;
            refused = false;
            continue;
        }
        const std::size_t length = Utf8Length(text, i);
        if (length > 0) {
            i += length;
            continue;
        }
        if (!refused) {
            std::string reason = "the byte 0x" + Hex(Byte(text, i)) + " (byte " + std::to_string(i - lineStart + 1)
                + " of the line) is not UTF-8";
            if (otherEncoding)
                reason += ": the file looks like Windows-1252 or Latin-1; save it as UTF-8";
            refuse(line, std::move(reason));
            if (otherEncoding)
                return;
            refused = true;
        }
        ++i;
    }
}

bool IsFormulaStart(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

/// True when a spreadsheet would take the field for a formula, also with apostrophes in
/// front: a field that begins so gets one apostrophe more when written, so that reading,
/// which takes one away, gives every field back as it was.
bool NeedsGuard(std::string_view field)
{
    const std::size_t text = field.find_first_not_of('\'');
    return text != std::string_view::npos && IsFormulaStart(field[text]);
}

std::string Unguarded(std::string_view field)
{
    return std::string(field.starts_with('\'') && NeedsGuard(field) ? field.substr(1) : field);
}

/// The length of the control character (C0, DEL, C1) at cell[i], 0 when there is none.
std::size_t ControlLength(std::string_view cell, std::size_t i)
{
    const unsigned byte = Byte(cell, i);
    if (byte < 0x20 || byte == 0x7F)
        return 1;
    return byte == 0xC2 && Byte(cell, i + 1) >= 0x80 && Byte(cell, i + 1) <= 0x9F ? 2 : 0;
}

} // namespace

std::optional<std::string_view> Utf8CsvText(std::string_view file, const TCsvRefusal& refuse)
{
    for (const std::string_view mark : { std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF") })
        if (file.starts_with(mark)) {
            refuse(1,
                "the file is UTF-16 (it begins with the bytes 0x" + Hex(Byte(mark, 0)) + " 0x" + Hex(Byte(mark, 1))
                    + "): save it as UTF-8");
            return std::nullopt;
        }
    while (file.starts_with(kByteOrderMark))
        file.remove_prefix(kByteOrderMark.size());
    const TUtf8Survey survey = SurveyUtf8(file);
    if (!survey.bad)
        return file;
    RefuseBadLines(file, !survey.multibyte, refuse);
    return std::nullopt;
}

// ---- Reading -----------------------------------------------------------------------

struct TCsvReader::TState {
    csv_parser parser {};
    std::string_view rest;
    std::int64_t line = 1;
    bool inRecord = false;
    bool ended = false;
    std::string error;
    std::int64_t errorLine = 0;

    // The record being read.
    TCsvRecord* record = nullptr;
    std::size_t keep = 0;
    bool blank = true;
    bool complete = false;

    void Fail(std::string reason, std::int64_t where)
    {
        error = std::move(reason);
        errorLine = where;
        ended = true;
    }
};

namespace {

void OnField(void* data, std::size_t length, void* state)
{
    auto* s = static_cast<TCsvReader::TState*>(state);
    ++s->record->fieldCount;
    s->blank = s->blank && length == 0;
    if (s->record->fields.size() < s->keep)
        s->record->fields.push_back(Unguarded(std::string_view(static_cast<const char*>(data), length)));
}

void OnRecordEnd(int, void* state)
{
    auto* s = static_cast<TCsvReader::TState*>(state);
    s->inRecord = false;
    if (!s->blank) {
        s->complete = true;
        return;
    }
    s->record->fields.clear();
    s->record->fieldCount = 0;
}

} // namespace

TCsvReader::TCsvReader(std::string_view text)
    : state_(std::make_unique<TState>())
{
    if (csv_init(&state_->parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw std::runtime_error("Cannot start the CSV reader");
    state_->rest = text;
}

TCsvReader::~TCsvReader()
{
    csv_free(&state_->parser);
}

bool TCsvReader::NextHeader(TCsvRecord& header)
{
    if (!Read(header, kMaxHeaderCells, kMaxHeaderCells))
        return false;
    if (header.fieldCount <= kMaxHeaderCells)
        return true;
    state_->Fail("a header of more than " + std::to_string(kMaxHeaderCells) + " cells", header.line);
    return false;
}

bool TCsvReader::Next(TCsvRecord& record, std::size_t keep)
{
    return Read(record, keep, static_cast<std::size_t>(-1));
}

bool TCsvReader::Read(TCsvRecord& record, std::size_t keep, std::size_t giveUpPast)
{
    TState& s = *state_;
    record.line = 0;
    record.fields.clear(); // keeps its room for the next record
    record.fieldCount = 0;
    s.record = &record;
    s.keep = keep;
    s.blank = true;
    s.complete = false;
    while (!s.ended && !s.rest.empty()) {
        // A record ends at the end of a piece, so the line it starts on is known before
        // its first byte is read.
        const std::string_view window = s.rest.substr(0, kPieceLength);
        const std::size_t end = window.find_first_of("\r\n");
        const std::size_t length = end == std::string_view::npos ? window.size() : end + 1;
        const std::string_view piece = s.rest.substr(0, length);
        if (!s.inRecord && !IsLineEndByte(piece.front())) {
            s.inRecord = true;
            record.line = s.line;
        }
        if (csv_parse(&s.parser, piece.data(), piece.size(), OnField, OnRecordEnd, &s) != piece.size()) {
            s.Fail("a quote in the middle of a field (a field in quotes must end with a quote followed by a comma "
                   "or the end of the line)",
                s.line);
            return false;
        }
        if (EndsLine(s.rest, length - 1))
            ++s.line;
        s.rest.remove_prefix(length);
        if (record.fieldCount > giveUpPast) {
            s.ended = true;
            return true;
        }
        if (s.complete)
            return true;
    }
    if (s.ended)
        return false;
    s.ended = true;
    if (csv_fini(&s.parser, OnField, OnRecordEnd, &s) != 0) {
        s.Fail("a field in quotes is never closed", record.line);
        return false;
    }
    return s.complete;
}

const std::string& TCsvReader::Error() const
{
    return state_->error;
}

std::int64_t TCsvReader::ErrorLine() const
{
    return state_->errorLine;
}

// ---- Writing and cells -------------------------------------------------------------

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string field = NeedsGuard(fields[k]) ? "'" + fields[k] : fields[k];
        if (k > 0)
            line += ',';
        const bool quoted = field.find_first_of(",\"\r\n") != std::string::npos
            || (!field.empty()
                && (field.front() == ' ' || field.front() == '\t' || field.back() == ' ' || field.back() == '\t'));
        if (!quoted) {
            line += field;
            continue;
        }
        std::string buffer(csv_write(nullptr, 0, field.data(), field.size()), '\0');
        csv_write(buffer.data(), buffer.size(), field.data(), field.size());
        line += buffer;
    }
    return line + "\r\n";
}

std::vector<std::string> HeaderNames(const TCsvRecord& header)
{
    std::vector<std::string> names;
    for (std::string name : header.fields) {
        std::transform(name.begin(), name.end(), name.begin(),
            [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        const auto first = name.find_first_not_of(" \t");
        const auto last = name.find_last_not_of(" \t");
        names.push_back(first == std::string::npos ? std::string() : name.substr(first, last - first + 1));
    }
    return names;
}

namespace {

// Nearly every cell of a list is plain ASCII, which both encodings write alike; the
// converter is for the rest.
bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string CellToWindows1252(const std::string& cell)
{
    return IsAscii(cell) ? cell : platform::Utf8ToWindows1252(cell);
}

std::string CellFromWindows1252(const std::string& text)
{
    return IsAscii(text) ? text : platform::Windows1252ToUtf8(text);
}

std::string CellKey(std::string_view cell)
{
    std::string key;
    key.reserve(cell.size());
    bool blank = false;
    for (const char c : cell) {
        if (c == ' ' || c == '\t') {
            blank = !key.empty();
            continue;
        }
        if (blank)
            key += ' ';
        blank = false;
        key += AnsiUpperChar(c);
    }
    return key;
}

bool HasControlCharacter(std::string_view cell)
{
    for (std::size_t i = 0; i < cell.size(); ++i)
        if (ControlLength(cell, i) > 0)
            return true;
    return false;
}

std::string QuotedCell(std::string_view cell)
{
    std::string quoted = "\"";
    for (std::size_t i = 0; i < cell.size();) {
        const std::size_t control = ControlLength(cell, i);
        if (control == 0) {
            quoted += cell[i++];
            continue;
        }
        quoted += "\\x" + Hex(Byte(cell, i + control - 1));
        i += control;
    }
    return quoted + "\"";
}
