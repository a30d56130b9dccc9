#pragma once
// CSV text as RFC 4180 has it (fields in quotes may hold commas, quotes and line breaks),
// read through libcsv and written with its quoting. Lines end in LF, CRLF or a lone CR
// (older spreadsheets on the Mac write those). Two guards beyond the RFC: the file must be
// UTF-8, told apart from the encodings a spreadsheet may save instead; and a cell that a
// spreadsheet would run as a formula is written behind an apostrophe, which reading
// removes again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The most cells a header may have. A participant list has a handful of columns; a
/// header of millions is an accident or an attack, and is refused before it is held.
inline constexpr std::size_t kMaxHeaderCells = 1000;

/// One record and the line of the text it starts on (counted from 1).
struct TCsvRecord {
    std::int64_t line = 0;
    /// The first fields of the record (as many as the reader was asked to keep).
    std::vector<std::string> fields;
    /// All its fields, kept or not.
    std::size_t fieldCount = 0;
};

/// Tells why a file cannot be read, with the line (counted from 1).
using TCsvRefusal = std::function<void(std::int64_t line, std::string reason)>;

/// The text of a CSV file to read: the file without its UTF-8 byte-order marks (some
/// editors add one on every save). Nothing when the file is not UTF-8: a UTF-16 file (by
/// its byte-order mark) and one that looks like Windows-1252 or Latin-1 (bytes that are
/// not UTF-8, and no character beyond ASCII that is) are refused once, naming the
/// encoding; otherwise every line holding bytes that are not UTF-8 is refused.
std::optional<std::string_view> Utf8CsvText(std::string_view file, const TCsvRefusal& refuse);

/// Reads the records of a text one at a time, so that a reader can stop early and never
/// holds more than one record. Empty lines and lines of blanks are skipped; blanks
/// around a field outside quotes are dropped.
class TCsvReader {
public:
    explicit TCsvReader(std::string_view text);
    ~TCsvReader();
    TCsvReader(const TCsvReader&) = delete;
    TCsvReader& operator=(const TCsvReader&) = delete;

    /// The header: the first record, or false (with Error() set when the text is damaged
    /// or the header has more than kMaxHeaderCells cells, which ends the reading at once).
    bool NextHeader(TCsvRecord& header);
    /// The next record, keeping at most `keep` of its fields; false at the end of the text
    /// or where it cannot be read (Error()).
    bool Next(TCsvRecord& record, std::size_t keep);

    /// Why the reading stopped before the end, and the line; empty when it did not.
    const std::string& Error() const;
    std::int64_t ErrorLine() const;

    /// The parser and where it stands in the text (Csv.cpp).
    struct TState;

private:
    bool Read(TCsvRecord& record, std::size_t keep, std::size_t giveUpPast);

    std::unique_ptr<TState> state_;
};

/// One record as a CSV line ending in CRLF; a field goes in quotes only when it needs them
/// (a comma, a quote, a line break, or blanks at either end, which a reader would drop).
/// A field that begins with "=", "+", "-", "@", a tab or a carriage return, after any
/// apostrophes, gets one apostrophe more in front, which reading removes.
std::string CsvLine(const std::vector<std::string>& fields);

/// The field names of a header, trimmed and in lower case (ASCII letters).
std::vector<std::string> HeaderNames(const TCsvRecord& header);

/// A UTF-8 cell in Windows-1252, the register's code page. Raises platform::ECodePageError
/// (naming the character) for text the code page cannot hold.
std::string CellToWindows1252(const std::string& cell);

/// A Windows-1252 text of the register as a UTF-8 cell.
std::string CellFromWindows1252(const std::string& text);

/// A Windows-1252 cell's words joined by single blanks, letters in upper case: two cells
/// that differ only in blanks and letter case mean the same thing.
std::string CellKey(std::string_view cell);

/// True when a UTF-8 cell holds a control character: C0, DEL or C1.
bool HasControlCharacter(std::string_view cell);

/// A UTF-8 cell in double quotes for a message, its control characters (C0, DEL and C1)
/// shown as \xNN: a file's text must not steer the terminal that shows the message.
std::string QuotedCell(std::string_view cell);
