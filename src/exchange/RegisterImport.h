#pragma once
// A register from a participant list in CSV (an office's spreadsheet): one participant per
// record, under a header that names the columns. Every name goes through the window's own
// name rules, so that an imported register is one the window could have made.

#include "exchange/LineProblems.h"
#include "persist/StringList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// A cell the window's name rules cut (to its first word, or to the capacity of a name).
struct TCutCell {
    std::int64_t line = 0;
    std::string what; ///< "first name", "last name" or "group"
    std::string cell; ///< as the file has it (UTF-8), blanks around it left out
    std::string kept; ///< what the register keeps (UTF-8)
};

struct TImportedRegister {
    std::unique_ptr<TStringList> groupNames; ///< in order of first appearance
    std::unique_ptr<TStringList> participants; ///< owns its TCCUser records
    /// The refused lines; the register may be written only when there are none.
    TLineProblems problems;
    /// The header's line, and its cells that name no column the import reads, each
    /// described for a message ("\"Notes\"", or "column 3 (no heading)").
    std::int64_t headerLine = 0;
    std::vector<std::string> ignoredColumns;
    /// Every cell of an imported participant that was cut; a group cell once, where its
    /// group is made.
    std::vector<TCutCell> cuts;
};

/// Reads the participants of `csv` (UTF-8 text). Recognised columns, any letter case:
/// "first" or "first name", "last" or "last name", "group", "household" or "department";
/// "email", "e-mail" and "mail" are known and not read; others are ignored, unless a name
/// column is missing, when such a column is taken for a misspelt one and the header is
/// refused. Reading stops at the first participant past what a document can hold. Texts
/// go into the register in Windows-1252.
TImportedRegister ImportRegister(std::string_view csv);

/// What an import that was not refused has to say, as `FILE:LINE: ...` lines: the ignored
/// columns (one line), then every cut cell. Empty when there is nothing to say.
std::string ImportNotes(std::string_view fileName, const TImportedRegister& imported);

/// "N participants in M groups", and how many cells were cut, with a line break.
std::string ImportSummary(const TImportedRegister& imported);
