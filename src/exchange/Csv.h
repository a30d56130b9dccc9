#pragma once
// CSV text as RFC 4180 has it (fields in quotes may hold commas, quotes and line breaks;
// lines end in CRLF or LF), read through libcsv and written with its quoting.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// One record and the line of the text it starts on (counted from 1).
struct TCsvRecord {
    std::int64_t line = 0;
    std::vector<std::string> fields;
};

struct TCsvText {
    std::vector<TCsvRecord> records;
    /// Set when the text cannot be read from `errorLine` on; the records before it were read.
    std::string error;
    std::int64_t errorLine = 0;
};

/// The records of `text`. A UTF-8 byte-order mark at the start is skipped, and so are
/// empty lines and lines of blanks; blanks around a field outside quotes are dropped.
TCsvText ReadCsv(std::string_view text);

/// One record as a CSV line ending in CRLF; a field goes in quotes only when it needs them
/// (a comma, a quote, a line break, or blanks at either end, which a reader would drop).
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
