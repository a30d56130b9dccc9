#pragma once
// A document's participants as CSV, for a spreadsheet, and for next year's import.

#include "register/KksDocument.h"

#include <string>

/// UTF-8 CSV text: the header "group,first,last,taker_first,taker_last", then one line per
/// participant in document order. The group cell is empty for a participant whose group
/// number names no group; the taker cells are empty where there is no taker. A cell a
/// spreadsheet would run as a formula is written behind an apostrophe (CsvLine).
std::string ExportRegister(const TKksDocument& document);

/// The same for a register held as its two lists (either may be null), as the window holds it.
std::string ExportRegister(const TStringList* groupNames, const TStringList* participants);
