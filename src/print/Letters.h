#pragma once
// The letters: template substitution, font fitting and the page of each giver.

#include "draw/Random.h"
#include "print/Canvas.h"
#include "persist/StringList.h"

#include <string>
#include <string_view>
#include <vector>

class TCCUser;

/// Replaces "[M]"/"[m]" by the giver's name and "[G]"/"[g]" by the taker's (nothing when
/// there is none). A null participant leaves the line unchanged.
std::string ExpandTemplateLine(std::string_view line, const TCCUser* participant);

/// Sets the canvas font so that `sample` fits a box `size` pixels high and `widthLimit`
/// pixels wide, starting at `size` points. Acts only on the printer's canvas.
void FitFontToBox(TCanvas& canvas, int size, int widthLimit, std::string_view sample);

/// Prints all letters (testLetter false) or one letter for an entry drawn with `random`
/// (testLetter true). Fewer than two entries (or no list): prints nothing.
void PrintLetters(TCanvas& canvas, const TStringList* participants, const std::vector<std::string>& templateLines,
                  bool testLetter, TRandomSource& random);
