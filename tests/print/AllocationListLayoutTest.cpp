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

TEST(AllocationList, RowsBelowSixPointsGoOnOverMorePages)
{
    // Under the recording metrics a row of 6 points is 12 pixels high: 146 participants
    // (divisor 584, rows 12 pixels) still get the one-page list, from 147 on the divisor
    // stays at 584 and a page holds the rows from 7 line steps down to the bottom.
    const struct {
        int count;
        int divisor;
        int rowSize;
        std::size_t pages;
    } cases[] = { { 2, 80, 43, 1 }, { 21, 84, 41, 1 }, { 146, 584, 6, 1 }, { 147, 584, 6, 1 }, { 285, 584, 6, 1 },
        { 286, 584, 6, 2 }, { 500, 584, 6, 2 }, { 5000, 584, 6, 18 } };
    for (const auto& c : cases) {
        auto people = People(c.count);
        TRecordingCanvas canvas;
        PrintAllocationList(canvas, people.get(), nullptr, ListOrder(*people));
        TRecordingCanvas measuring;
        const TAllocationListLayout layout = LayOutAllocationList(measuring, c.count);
        EXPECT_EQ(layout.Divisor, c.divisor) << c.count;
        EXPECT_EQ(layout.RowSize, c.rowSize) << c.count;
        ASSERT_EQ(canvas.Pages.size(), c.pages) << c.count;

        std::vector<std::string> printed;
        for (const auto& page : canvas.Pages) {
            EXPECT_EQ(page.front().Text, canvas.Pages.front().front().Text) << "every page starts with the title";
            EXPECT_EQ(page.front().Y, canvas.Pages.front().front().Y);
            // Row n of every page at 6 + n line steps, each row clear of the next and the bottom.
            EXPECT_GE(layout.LineStep, canvas.Height(layout.RowSize, "")) << c.count;
            for (std::size_t i = 1; i < page.size(); i += 2) {
                printed.push_back(page[i].Text);
                EXPECT_EQ(page[i].Y, static_cast<int>(7 + i / 2) * layout.LineStep) << c.count;
                EXPECT_LE(page[i].Y + canvas.Height(page[i].Size, page[i].Text), 7015) << c.count;
            }
        }
        std::vector<std::string> expected;
        for (const TCCUser* row : ListOrder(*people))
            expected.push_back(row->FirstName);
        EXPECT_EQ(printed, expected) << c.count;
    }
}

TEST(AllocationList, LastColumnStaysOnThePaper)
{
    // Column 5 starts at 3717; 74 characters at 43 points (21.5 pixels each) would end at
    // 5308, past 4960: 33 points fit, and the next row is back at 43. 45 characters end at
    // 4684, past the margin but on the paper.
    auto people = MakeParticipants({ { "ANN", "SMITH", 0 }, { "BOB", "LEE", 1 }, { "CY", "OH", 2 } });
    AssignInCircle(*people);
    auto groups = std::make_unique<TStringList>();
    groups->Add(std::string(30, 'G'));
    groups->Add(std::string(40, 'H'));
    groups->Add("C");
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), groups.get(), ListOrder(*people));
    const auto& page = canvas.Pages.front();
    ASSERT_EQ(page.size(), 16u);
    EXPECT_EQ(page[5].X, 3717);
    EXPECT_EQ(page[5].Size, 33);
    EXPECT_EQ(page[6].Size, 43);
    EXPECT_EQ(page[10].Size, 43) << page[10].Text;
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
