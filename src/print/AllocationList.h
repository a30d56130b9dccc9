#pragma once
// The allocation list: every giver with their taker and both groups. The list fits one
// page while its rows can be set at a readable size; a longer one goes on over as many
// pages as it needs, each headed by the title.

#include "persist/StringList.h"
#include "print/Canvas.h"
#include "print/PrinterService.h"

#include <string>
#include <vector>

class TCCUser;

/// Prints the list. `rows` are the participants in the order of the participants list box;
/// `participants` decides whether anything is printed (fewer than two entries: nothing).
void PrintAllocationList(TCanvas& canvas, const TStringList* participants, const TStringList* groupNames,
    const std::vector<const TCCUser*>& rows);

/// Prints the list with the rows in the participants list box's order (by display text,
/// letter case ignored), for callers that have no list box.
void PrintAllocationList(TCanvas& canvas, const TStringList* participants, const TStringList* groupNames);

/// The same on a job of `printer`, opened only when there is something to print; a job the
/// user cancels prints nothing.
void PrintAllocationList(IPrinterService& printer, const TStringList* participants, const TStringList* groupNames,
    const std::vector<const TCCUser*>& rows);

/// The measures of the list, in device pixels (the row size in points).
struct TAllocationListLayout {
    TRect Page;
    int Margin = 0;
    int TextWidth = 0;
    int ColumnWidth = 0;
    int Divisor = 0;
    int RowHeight = 0;
    int RowSize = 0;
    int LineStep = 0;
};

/// Works out the list's geometry for `entryCount` participants on a canvas whose document
/// has begun, and fits the row font (left set on the canvas). Four row heights per
/// participant, so the list fits one page, unless that leaves the rows smaller than six
/// points: then the divisor stops at the largest value that keeps them at six.
TAllocationListLayout LayOutAllocationList(TCanvas& canvas, int entryCount);

/// One printed column of a row: its number (0 to 4, left to right) and its text.
struct TAllocationCell {
    int Column = 0;
    std::string Text;
};

/// The cells of a giver's row. Without a taker only the two names; the groups column
/// only when both group numbers name an entry of `groupNames`.
std::vector<TAllocationCell> AllocationRowCells(const TCCUser& giver, const TStringList* groupNames);
