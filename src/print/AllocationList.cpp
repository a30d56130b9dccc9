#include "print/AllocationList.h"

#include "print/Letters.h"
#include "print/TextArea.h"
#include "print/TextOnPage.h"
#include "register/CCUser.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view kTitle = "Test Print of Allocations For Kris Kringle";
// Sets the row font: a long first name in one column width.
constexpr std::string_view kRowSample = "FIRSTNAMELLLLMMMMll";
constexpr std::string_view kTakerPrefix = ">> ";
constexpr std::string_view kGroupSeparator = " >> ";
constexpr int kLastColumn = 4;

// Four row heights per participant, at least twenty participants' worth, so that the
// rows (printed two row heights apart, below a six-step header) end on the one page.
constexpr int kLeastDivisor = 80;
// Rows set smaller are hard to read on paper; such a list goes on over further pages.
constexpr int kSmallestRowSize = 6;

bool NamesGroup(const TStringList& groupNames, std::int32_t groupNo)
{
    return groupNo >= 0 && groupNo < groupNames.Count();
}

/// Sets the divisor and the row measures that follow from it, and fits the row font
/// (left set on the canvas).
void FitRows(TCanvas& canvas, TAllocationListLayout& layout, int divisor)
{
    layout.Divisor = divisor;
    layout.RowHeight = (layout.Page.Bottom - layout.Page.Top) / divisor;
    FitFontToBox(canvas, layout.RowHeight, layout.ColumnWidth, kRowSample);
    layout.RowSize = canvas.FontSize();
    layout.LineStep = 2 * layout.RowHeight;
}

/// How far below its y the tallest text of a row ends, in the row font.
std::int64_t RowTextHeight(TCanvas& canvas, const std::vector<TAllocationCell>& cells)
{
    std::int64_t height = 0;
    for (const TAllocationCell& cell : cells)
        height = std::max<std::int64_t>(height, canvas.TextHeight(cell.Text));
    return height;
}

void DrawTitle(TCanvas& canvas, const TAllocationListLayout& layout)
{
    DrawCentredText(canvas, layout.Page, TextAreaOf(layout.Page), layout.Page.Top + 2 * layout.LineStep, kTitle);
}

/// The cells at their columns' left edges; only the last column, which has no neighbour
/// to run into, is kept from running off the paper.
void DrawRow(TCanvas& canvas, const TAllocationListLayout& layout, const std::vector<TAllocationCell>& cells, int y)
{
    for (const TAllocationCell& cell : cells) {
        const int x = layout.Margin + cell.Column * layout.ColumnWidth;
        if (cell.Column == kLastColumn)
            DrawTextUpTo(canvas, x, y, cell.Text, layout.Page.Right);
        else
            canvas.TextOut(x, y, cell.Text);
    }
}

} // namespace

TAllocationListLayout LayOutAllocationList(TCanvas& canvas, int entryCount)
{
    TAllocationListLayout layout;
    layout.Page = canvas.ClipRect();
    const TTextArea area = TextAreaOf(layout.Page);
    layout.Margin = area.Margin;
    layout.TextWidth = area.TextWidth;
    layout.ColumnWidth = area.TextWidth / 5;
    const std::int64_t divisor = std::max<std::int64_t>(4 * static_cast<std::int64_t>(entryCount), kLeastDivisor);
    FitRows(canvas, layout, static_cast<int>(std::min<std::int64_t>(divisor, INT32_MAX)));
    if (layout.RowSize >= kSmallestRowSize || layout.Divisor == kLeastDivisor)
        return layout;

    // Too many rows for one readable page: the divisor stops at the largest value whose
    // rows still take the smallest readable size. The fitted size depends on the row
    // height alone, so the search climbs the row heights above this one, each with the
    // largest divisor that gives it, down to the least divisor: at most a page height
    // over 80 steps, however long the list.
    const int pageHeight = layout.Page.Bottom - layout.Page.Top;
    for (int height = layout.RowHeight + 1;; ++height) {
        FitRows(canvas, layout, std::max(pageHeight / height, kLeastDivisor));
        if (layout.RowSize >= kSmallestRowSize || layout.Divisor == kLeastDivisor)
            return layout;
    }
}

std::vector<TAllocationCell> AllocationRowCells(const TCCUser& giver, const TStringList* groupNames)
{
    std::vector<TAllocationCell> cells { { 0, giver.FirstName }, { 1, giver.LastName } };
    const TCCUser* taker = giver.Taker;
    if (taker == nullptr)
        return cells;
    cells.push_back({ 2, std::string(kTakerPrefix) + taker->FirstName });
    cells.push_back({ 3, taker->LastName });
    // A group number outside the list only comes from a damaged document; such a row
    // goes without its groups rather than failing the whole print.
    if (groupNames != nullptr && NamesGroup(*groupNames, giver.GroupNo) && NamesGroup(*groupNames, taker->GroupNo))
        cells.push_back({ 4,
            groupNames->Strings(giver.GroupNo) + std::string(kGroupSeparator) + groupNames->Strings(taker->GroupNo) });
    return cells;
}

void PrintAllocationList(TCanvas& canvas, const TStringList* participants, const TStringList* groupNames,
    const std::vector<const TCCUser*>& rows)
{
    if (participants == nullptr || participants->Count() < 2)
        return;

    canvas.SetDocumentTitle(kTitle);
    canvas.BeginDocument();
    const TAllocationListLayout layout = LayOutAllocationList(canvas, participants->Count());
    FitFontToBox(canvas, 2 * layout.LineStep, layout.TextWidth, kTitle);
    const int titleSize = canvas.FontSize();
    DrawTitle(canvas, layout);

    // Row n of a page starts 6 + n line steps below the top. A row whose text would end
    // below the printable area starts the next page, which begins as the first did; a
    // page takes at least one row, however small, so the list always ends.
    const std::int64_t firstRowY = layout.Page.Top + 7 * static_cast<std::int64_t>(layout.LineStep);
    std::int64_t y = firstRowY - layout.LineStep;
    bool pageHasRows = false;
    canvas.SetFontSize(layout.RowSize);
    for (const TCCUser* giver : rows) {
        if (giver == nullptr)
            continue;
        const std::vector<TAllocationCell> cells = AllocationRowCells(*giver, groupNames);
        y += layout.LineStep;
        if (pageHasRows && y + RowTextHeight(canvas, cells) > layout.Page.Bottom) {
            canvas.NewPage();
            canvas.SetFontSize(titleSize);
            DrawTitle(canvas, layout);
            canvas.SetFontSize(layout.RowSize);
            y = firstRowY;
        }
        DrawRow(canvas, layout, cells, static_cast<int>(y));
        pageHasRows = true;
    }
    canvas.EndDocument();
}

void PrintAllocationList(TCanvas& canvas, const TStringList* participants, const TStringList* groupNames)
{
    if (participants == nullptr || participants->Count() < 2)
        return;
    const std::vector<TCCUser*> ordered = ParticipantsInDisplayOrder(*participants);
    const std::vector<const TCCUser*> rows(ordered.begin(), ordered.end());
    PrintAllocationList(canvas, participants, groupNames, rows);
}

void PrintAllocationList(IPrinterService& printer, const TStringList* participants, const TStringList* groupNames,
    const std::vector<const TCCUser*>& rows)
{
    if (participants == nullptr || participants->Count() < 2)
        return;
    if (const std::unique_ptr<TCanvas> job = printer.OpenJob(std::string()))
        PrintAllocationList(*job, participants, groupNames, rows);
}
