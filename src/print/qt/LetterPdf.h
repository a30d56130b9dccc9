#pragma once
// One giver's letter as PDF bytes in memory, for a message that carries it: the page
// `letters --pdf-dir` writes to a file, with nothing written to any disk on the way.

#include "persist/StringList.h"
#include "print/Letters.h"

#include <optional>
#include <string>
#include <vector>

class TCCUser;

/// Letters of one register one after another: the page of each giver on A4 at
/// `dotsPerInch`, with the title and creator the PDF files carry, fonts fitted to the first
/// entry of `participants` as in the job of all letters, once for all (PrintGiversLetter).
/// Any thread may use it once a GUI application object exists; after its first letter,
/// several at once.
class TLetterPdfWriter {
public:
    TLetterPdfWriter(const TStringList& participants, const std::vector<std::string>& templateLines, int dotsPerInch);
    TLetterPdfWriter(const TLetterPdfWriter&) = delete;
    TLetterPdfWriter& operator=(const TLetterPdfWriter&) = delete;

    /// The PDF file's bytes; raises EPrintError when the PDF writer fails.
    std::string Letter(const TCCUser& giver);

private:
    const TStringList& participants_;
    const std::vector<std::string>& templateLines_;
    int dotsPerInch_;
    std::optional<TLetterLayout> layout_;
};
