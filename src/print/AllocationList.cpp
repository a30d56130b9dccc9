#include "print/AllocationList.h"

#include "print/Letters.h"
#include "print/TextArea.h"
#include "register/CCUser.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view kTitle = "Test Print of Allocations For Kris Kringle";
// Sets the row font: a long first name in one column width.
constexpr std::string_view kRowSample = "FIRSTNAMELLLLMMMMll";
constexpr std::string_view kTakerPrefix = ">> ";
constexpr std::string_view kGroupSeparator = " >> ";

bool NamesGroup(const TStringList& groupNames, std::int32_t groupNo)
{
    return groupNo >= 0 && groupNo < groupNames.Count();
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
    // Four row heights per participant, so that the rows (printed two row heights apart,
    // below a six-step header) always end on the one page.
    const std::int64_t divisor = std::max<std::int64_t>(4 * static_cast<std::int64_t>(entryCount), 80);
    layout.Divisor = static_cast<int>(std::min<std::int64_t>(divisor, INT32_MAX));
    layout.RowHeight = (layout.Page.Bottom - layout.Page.Top) / layout.Divisor;

    FitFontToBox(canvas, layout.RowHeight, layout.ColumnWidth, kRowSample);
    layout.RowSize = canvas.FontSize();
    layout.LineStep = 2 * layout.RowHeight;
    return layout;
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

    canvas.BeginDocument();
    const TAllocationListLayout layout = LayOutAllocationList(canvas, participants->Count());

    FitFontToBox(canvas, 2 * layout.LineStep, layout.TextWidth, kTitle);
    canvas.TextOut(CentredX(layout.Margin, layout.TextWidth, canvas.TextWidth(kTitle)),
        layout.Page.Top + 2 * layout.LineStep, kTitle);

    // Row n starts 6 + n line steps below the top.
    std::int64_t y = layout.Page.Top + 6 * static_cast<std::int64_t>(layout.LineStep);
    canvas.SetFontSize(layout.RowSize);
    for (const TCCUser* giver : rows) {
        if (giver == nullptr)
            continue;
        y += layout.LineStep;
        for (const TAllocationCell& cell : AllocationRowCells(*giver, groupNames))
            canvas.TextOut(layout.Margin + cell.Column * layout.ColumnWidth, static_cast<int>(y), cell.Text);
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
    if (const std::unique_ptr<TCanvas> job = printer.OpenJob())
        PrintAllocationList(*job, participants, groupNames, rows);
}
