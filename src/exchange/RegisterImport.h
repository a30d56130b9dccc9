#pragma once
// A register from a participant list in CSV (an office's spreadsheet): one participant per
// record, under a header that names the columns. Every name goes through the window's own
// name rules, so that an imported register is one the window could have made.

#include "persist/StringList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Why a line of a file was refused (UTF-8, as the file has it).
struct TLineProblem {
    std::int64_t line = 0;
    std::string reason;
};

struct TImportedRegister {
    std::unique_ptr<TStringList> groupNames; ///< in order of first appearance
    std::unique_ptr<TStringList> participants; ///< owns its TCCUser records
    /// Every refused line, in file order; the register may be written only when empty.
    std::vector<TLineProblem> problems;
};

/// Reads the participants of `csv` (UTF-8 text). Recognised columns, any letter case:
/// "first" or "first name", "last" or "last name", "group", "household" or "department";
/// others are ignored. Texts go into the register in Windows-1252.
TImportedRegister ImportRegister(std::string_view csv);
