#include "print/AllocationList.h"
#include "print/Letters.h"

// Placeholders until the page layout lands.
std::string ExpandTemplateLine(std::string_view line, const TCCUser*) { return std::string(line); }
void FitFontToBox(TCanvas&, int, int, std::string_view) {}
void PrintLetters(TCanvas&, const TStringList*, const std::vector<std::string>&, bool, TRandomSource&) {}
void PrintAllocationList(TCanvas&, const TStringList*, const TStringList*, const std::vector<const TCCUser*>&) {}
