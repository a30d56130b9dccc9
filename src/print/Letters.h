#pragma once
// The letters: template substitution, font fitting and the page of each giver.

#include "draw/Random.h"
#include "persist/StringList.h"
#include "print/Canvas.h"
#include "print/PrinterService.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TCCUser;

/// Replaces "[M]"/"[m]" by the giver's name and "[G]"/"[g]" by the taker's (nothing when
/// there is none). A null participant leaves the line unchanged.
std::string ExpandTemplateLine(std::string_view line, const TCCUser* participant);

/// The giver's name as the name of a file that holds their letter, without its extension
/// (Windows-1252): "/" and control characters (NUL, and the code page's unassigned bytes,
/// included) as "_", no trailing blank for an empty last name, no leading "." that would
/// hide the file.
std::string LetterFileStem(const TCCUser& giver);

/// Sets the canvas font so that `sample` fits a box `size` pixels high and `widthLimit`
/// pixels wide, starting at `size` points. Acts only on the printer's canvas.
void FitFontToBox(TCanvas& canvas, int size, int widthLimit, std::string_view sample);

/// Prints all letters (testLetter false) or one letter for an entry drawn with `random`
/// (testLetter true). Fewer than two entries (or no list): prints nothing.
void PrintLetters(TCanvas& canvas, const TStringList* participants, const std::vector<std::string>& templateLines,
    bool testLetter, TRandomSource& random);

/// The same on a job of `printer`, opened only when there is something to print (so that
/// nobody is asked for a file in vain); a job the user cancels prints nothing.
void PrintLetters(IPrinterService& printer, const TStringList* participants,
    const std::vector<std::string>& templateLines, bool testLetter, TRandomSource& random);

/// Prints the letter of entry `entry` alone, as the test letter that drew it would.
void PrintTestLetter(
    TCanvas& canvas, const TStringList* participants, const std::vector<std::string>& templateLines, int entry);

/// Prints the letter of `giver` alone, as a job of its own: the very page that the job of
/// all letters prints for them, fonts fitted to the first entry as there.
void PrintGiversLetter(TCanvas& canvas, const TStringList& participants, const std::vector<std::string>& templateLines,
    const TCCUser& giver);

/// The measures of one letters job, in device pixels (sizes in points).
struct TLetterLayout {
    TRect Page;
    int Margin = 0;
    int TextWidth = 0;
    int Divisor = 0;
    int ProvisionalHeight = 0;
    int LineStep = 0;
    int BodySize = 0;
    int HeadingSize = 0;
};

/// PrintGiversLetter for one letter after another of one register: `layout` keeps the
/// fitting worked out for the first (empty before it), which serves the rest, for it
/// depends on the register and the template, never on the giver.
void PrintGiversLetter(TCanvas& canvas, const TStringList& participants, const std::vector<std::string>& templateLines,
    const TCCUser& giver, std::optional<TLetterLayout>& layout);

/// The text the body font is fitted to: the longest template line as expanded for the
/// first entry's participant (the earliest of equally long lines), followed by "MMMMM".
std::string ChooseBodySample(const TStringList& participants, const std::vector<std::string>& templateLines);

/// Works out the page geometry and both font sizes for a job whose document has begun.
/// Leaves the heading size set on the canvas.
TLetterLayout LayOutLetters(TCanvas& canvas, std::size_t templateLineCount, std::string_view bodySample);

/// Draws the one page of `giver`: the name as heading, the expanded template near the bottom.
void PrintLetter(
    TCanvas& canvas, const TLetterLayout& layout, const TCCUser& giver, const std::vector<std::string>& templateLines);
