#pragma once
// The one-page allocation list: every giver with their taker and both groups.

#include "print/Canvas.h"
#include "persist/StringList.h"

#include <vector>

class TCCUser;

/// Prints the list. `rows` are the participants in the order of the participants list box;
/// `participants` decides whether anything is printed (fewer than two entries: nothing).
void PrintAllocationList(TCanvas& canvas, const TStringList* participants, const TStringList* groupNames,
                         const std::vector<const TCCUser*>& rows);
