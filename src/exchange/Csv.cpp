#include "exchange/Csv.h"

#include "persist/AnsiText.h"
#include "platform/Windows1252.h"

#include <csv.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// What the parser's callbacks fill in, and where the record being read started.
struct TReading {
    TCsvText* text;
    std::vector<std::string> fields;
    std::int64_t line = 1;
    std::int64_t recordStart = 0;
    bool inRecord = false;
};

void OnField(void* data, std::size_t length, void* reading)
{
    auto* r = static_cast<TReading*>(reading);
    r->fields.emplace_back(static_cast<const char*>(data), length);
}

bool AllBlank(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); });
}

void OnRecordEnd(int, void* reading)
{
    auto* r = static_cast<TReading*>(reading);
    if (!AllBlank(r->fields))
        r->text->records.push_back({ r->recordStart, std::move(r->fields) });
    r->fields.clear();
    r->inRecord = false;
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

/// Owns a libcsv parser in strict mode.
class TParser {
public:
    TParser()
    {
        if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0)
            throw std::runtime_error("Cannot start the CSV reader");
    }
    ~TParser() { csv_free(&parser_); }
    TParser(const TParser&) = delete;
    TParser& operator=(const TParser&) = delete;

    bool Parse(std::string_view piece, TReading& r)
    {
        return csv_parse(&parser_, piece.data(), piece.size(), OnField, OnRecordEnd, &r) == piece.size();
    }
    bool Finish(TReading& r) { return csv_fini(&parser_, OnField, OnRecordEnd, &r) == 0; }

private:
    csv_parser parser_ {};
};

} // namespace

TCsvText ReadCsv(std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    TCsvText result;
    TReading r { &result, {} };
    TParser parser;
    // Fed in pieces that end at each CR or LF, so that a record always ends at the end of a
    // piece and the line a record starts on is known before its first byte is read.
    while (!text.empty()) {
        const auto end = std::find_if(text.begin(), text.end(), IsLineEnd);
        const std::size_t length = end == text.end() ? text.size() : static_cast<std::size_t>(end - text.begin()) + 1;
        const std::string_view piece = text.substr(0, length);
        if (!r.inRecord && !IsLineEnd(piece.front())) {
            r.inRecord = true;
            r.recordStart = r.line;
        }
        if (!parser.Parse(piece, r)) {
            result.error = "a quote in the middle of a field (a field in quotes must end with a quote "
                           "followed by a comma or the end of the line)";
            result.errorLine = r.line;
            return result;
        }
        if (piece.back() == '\n')
            ++r.line;
        text.remove_prefix(length);
    }
    if (!parser.Finish(r)) {
        result.error = "a field in quotes is never closed";
        result.errorLine = r.recordStart;
    }
    return result;
}

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string& field = fields[k];
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
