#include "print/AllocationList.h"

#include "Participants.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::unique_ptr<TStringList> Groups()
{
    auto groups = std::make_unique<TStringList>();
    groups->Add("ALPHA");
    groups->Add("BETA");
    return groups;
}

std::unique_ptr<TStringList> People(int count)
{
    std::vector<TPerson> people;
    for (int i = 0; i < count; ++i)
        people.push_back({ "P" + std::to_string(100 + i), "L", i % 2 });
    return MakeParticipants(people);
}

std::vector<const TCCUser*> ListOrder(const TStringList& list)
{
    std::vector<const TCCUser*> rows;
    for (int i = 0; i < list.Count(); ++i)
        rows.push_back(UserAt(list, i));
    return rows;
}

TEST(AllocationList, TenParticipantsOnA4At600Dpi)
{
    TRecordingCanvas measuring;
    const TAllocationListLayout layout = LayOutAllocationList(measuring, 10);
    EXPECT_EQ(layout.Margin, 413);
    EXPECT_EQ(layout.TextWidth, 4134);
    EXPECT_EQ(layout.ColumnWidth, 826);
    EXPECT_EQ(layout.Divisor, 80);
    EXPECT_EQ(layout.RowHeight, 87);
    EXPECT_EQ(layout.LineStep, 174);
    // 87 / 2 = 43.5 rounds to 44, which measures 88 > 87: one point less.
    EXPECT_EQ(layout.RowSize, 43);

    // Before a draw: the title, then two columns a row, nothing in the others.
    auto people = People(10);
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), Groups().get(), ListOrder(*people));
    ASSERT_EQ(canvas.Pages.size(), 1u);
    const auto& page = canvas.Pages.front();
    ASSERT_EQ(page.size(), 1u + 2 * 10);
    // The title fitted to 2 line steps (348) by its height: 174 points, 87 pixels a
    // character, centred, at y 348.
    EXPECT_EQ(page[0].Text, "Test Print of Allocations For Kris Kringle");
    EXPECT_EQ(page[0].Size, 174);
    EXPECT_EQ(page[0].X, 413 + (4134 - 42 * 87) / 2);
    EXPECT_EQ(page[0].Y, 348);
    for (std::size_t i = 1; i < page.size(); ++i) {
        EXPECT_EQ(page[i].X, 413 + static_cast<int>((i - 1) % 2) * 826);
        EXPECT_EQ(page[i].Y, 1218 + static_cast<int>((i - 1) / 2) * 174);
        EXPECT_EQ(page[i].Size, 43);
    }
    EXPECT_EQ(page.back().Y, 2784);
    EXPECT_EQ(canvas.Log.back(), "end");
}

TEST(AllocationList, DivisorIsFourPerParticipantFromTwentyOneAndTheListFitsOnePage)
{
    const struct {
        int count;
        int divisor;
        int rowHeight;
    } cases[] = { { 2, 80, 87 }, { 20, 80, 87 }, { 21, 84, 83 }, { 500, 2000, 3 } };
    for (const auto& c : cases) {
        auto people = People(c.count);
        TRecordingCanvas canvas;
        PrintAllocationList(canvas, people.get(), nullptr, ListOrder(*people));
        TRecordingCanvas measuring;
        const TAllocationListLayout layout = LayOutAllocationList(measuring, c.count);
        EXPECT_EQ(layout.Divisor, c.divisor) << c.count;
        EXPECT_EQ(layout.RowHeight, c.rowHeight) << c.count;
        EXPECT_EQ(std::count(canvas.Log.begin(), canvas.Log.end(), "page"), 0) << c.count;
        const TDrawnText& last = canvas.Pages.front().back();
        EXPECT_LT(last.Y + canvas.Height(last.Size, last.Text), 7015) << c.count;
    }
}

TEST(AllocationList, CellsByAssignmentAndGroups)
{
    auto people = MakeParticipants({ { "ANN", "SMITH", 0 }, { "BOB", "LEE", 1 }, { "CY", "", -1 }, { "DI", "UM", 7 } });
    auto groups = Groups();
    TCCUser* ann = UserAt(*people, 0);
    TCCUser* bob = UserAt(*people, 1);
    TCCUser* cy = UserAt(*people, 2);
    TCCUser* di = UserAt(*people, 3);
    auto cells = [&](const TCCUser& giver, const TStringList* names) {
        std::vector<std::string> out;
        for (const auto& cell : AllocationRowCells(giver, names))
            out.push_back(std::to_string(cell.Column) + ":" + cell.Text);
        return out;
    };
    using Cells = std::vector<std::string>;

    EXPECT_EQ(cells(*ann, groups.get()), (Cells { "0:ANN", "1:SMITH" })) << "no taker, no marker text";
    ann->SetTaker(bob);
    bob->SetTaker(cy);
    cy->SetTaker(ann);
    di->SetTaker(ann);
    EXPECT_EQ(cells(*ann, groups.get()), (Cells { "0:ANN", "1:SMITH", "2:>> BOB", "3:LEE", "4:ALPHA >> BETA" }));
    EXPECT_EQ(cells(*ann, nullptr), (Cells { "0:ANN", "1:SMITH", "2:>> BOB", "3:LEE" }));
    EXPECT_EQ(cells(*bob, groups.get()), (Cells { "0:BOB", "1:LEE", "2:>> CY", "3:" })) << "taker without group";
    EXPECT_EQ(cells(*cy, groups.get()), (Cells { "0:CY", "1:", "2:>> ANN", "3:SMITH" })) << "giver without group";
    EXPECT_EQ(cells(*di, groups.get()), (Cells { "0:DI", "1:UM", "2:>> ANN", "3:SMITH" })) << "group past the list";
}

TEST(AllocationList, RowOrder)
{
    // Given rows print in their order; a missing record does not move y.
    auto people = MakeParticipants({ { "zed", "Z", 1 }, { "Amy", "B", 1 }, { "bob", "C", 1 }, { "Kim", "D", 9 } });
    TRecordingCanvas given;
    PrintAllocationList(given, people.get(), nullptr, { UserAt(*people, 2), nullptr, UserAt(*people, 0) });
    const auto& page = given.Pages.front();
    ASSERT_EQ(page.size(), 5u);
    EXPECT_EQ(page[1].Text, "bob");
    EXPECT_EQ(page[3].Text, "zed");
    EXPECT_EQ(page[3].Y - page[1].Y, 174);

    // Without rows: the list box's order, by display text with letter case ignored
    // ("10 Kim" before "2 Amy"), not the order of entry.
    TRecordingCanvas ordered;
    PrintAllocationList(ordered, people.get(), nullptr);
    std::vector<std::string> firstNames;
    for (const TDrawnText& drawn : ordered.Pages.front())
        if (drawn.X == 413 && drawn.Y >= 1218)
            firstNames.push_back(drawn.Text);
    EXPECT_EQ(firstNames, (std::vector<std::string> { "Kim", "Amy", "bob", "zed" }));
}

} // namespace
