#pragma once
// One giver's letter as PDF bytes in memory, for a message that carries it: the page
// `letters --pdf-dir` writes to a file, with nothing written to any disk on the way.

#include "persist/StringList.h"

#include <string>
#include <vector>

class TCCUser;

/// The one-page letter of `giver` on A4 at `dotsPerInch`, fonts fitted to the first entry
/// of `participants` as in the job of all letters. Raises EPrintError when the PDF writer
/// fails. Safe on any thread once a GUI application object exists.
std::string LetterPdf(const TStringList& participants, const std::vector<std::string>& templateLines,
    const TCCUser& giver, int dotsPerInch);
