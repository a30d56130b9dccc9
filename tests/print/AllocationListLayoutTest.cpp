#include "print/AllocationList.h"

#include "Participants.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TStringList> Groups(const std::vector<std::string>& names)
{
    auto groups = std::make_unique<TStringList>();
    for (const std::string& name : names)
        groups->Add(name);
    return groups;
}

std::unique_ptr<TStringList> People(int count)
{
    std::vector<TPerson> people;
    for (int i = 0; i < count; ++i)
        people.push_back({"P" + std::to_string(100 + i), "L", i % 3});
    return MakeParticipants(people);
}

std::vector<const TCCUser*> ListOrder(const TStringList& list)
{
    std::vector<const TCCUser*> rows;
    for (int i = 0; i < list.Count(); ++i)
        rows.push_back(UserAt(list, i));
    return rows;
}

TEST(AllocationListLayout, TenParticipantsOnA4At600Dpi)
{
    auto people = People(10);
    auto groups = Groups({"ALPHA", "BETA", "GAMMA"});
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), groups.get(), ListOrder(*people));

    const TAllocationListLayout layout = [&] {
        TRecordingCanvas fresh;
        return LayOutAllocationList(fresh, 10);
    }();
    EXPECT_EQ(layout.Margin, 413);
    EXPECT_EQ(layout.TextWidth, 4134);
    EXPECT_EQ(layout.ColumnWidth, 826);
    EXPECT_EQ(layout.Divisor, 80);
    EXPECT_EQ(layout.RowHeight, 87);
    EXPECT_EQ(layout.LineStep, 174);
    // 87 / 2 = 43.5 rounds to 44, which measures 88 > 87: one point less.
    EXPECT_EQ(layout.RowSize, 43);

    ASSERT_EQ(canvas.Pages.size(), 1u);
    const auto& page = canvas.Pages.front();
    ASSERT_FALSE(page.empty());
    // Title: fitted to 2 line steps (348) by its height to 174 points, 21 characters
    // of 87 pixels, centred.
    EXPECT_EQ(page[0].Text, "Test Print of Allocations For Kris Kringle");
    EXPECT_EQ(page[0].Y, 348);
    EXPECT_EQ(page[0].Size, 174);
    EXPECT_EQ(page[0].X, 413 + (4134 - 42 * 87) / 2);
    // Rows: without an assignment two columns each, at 1218 for the first, 2784 for the tenth.
    ASSERT_EQ(page.size(), 1u + 2 * 10);
    EXPECT_EQ(page[1].Y, 1218);
    EXPECT_EQ(page[19].Y, 2784);
    for (std::size_t i = 1; i < page.size(); ++i) {
        EXPECT_EQ(page[i].Size, 43);
        EXPECT_EQ(page[i].Y, 1218 + static_cast<int>((i - 1) / 2) * 174);
    }
    EXPECT_EQ(canvas.Log.front(), "begin");
    EXPECT_EQ(canvas.Log.back(), "end");
}

TEST(AllocationListLayout, DivisorIsFourPerParticipantFromTwentyOne)
{
    struct {
        int count;
        int divisor;
        int rowHeight;
    } const cases[] = {{2, 80, 87}, {20, 80, 87}, {21, 84, 83}, {100, 400, 17}};
    for (const auto& c : cases) {
        TRecordingCanvas canvas;
        const TAllocationListLayout layout = LayOutAllocationList(canvas, c.count);
        EXPECT_EQ(layout.Divisor, c.divisor) << c.count;
        EXPECT_EQ(layout.RowHeight, c.rowHeight) << c.count;
        EXPECT_EQ(layout.LineStep, 2 * c.rowHeight) << c.count;
    }
}

TEST(AllocationListLayout, LastRowStaysOnThePage)
{
    for (int count : {2, 20, 21, 57, 300}) {
        auto people = People(count);
        TRecordingCanvas canvas;
        PrintAllocationList(canvas, people.get(), nullptr, ListOrder(*people));
        ASSERT_EQ(canvas.Pages.size(), 1u);
        const TDrawnText& last = canvas.Pages.front().back();
        EXPECT_LT(last.Y + canvas.Height(last.Size, last.Text), 7015) << count;
    }
}

TEST(AllocationListRows, FiveColumnsAfterADraw)
{
    auto people = MakeParticipants({{"ANN", "SMITH", 0}, {"BOB", "LEE", 1}});
    AssignInCircle(*people);
    auto groups = Groups({"ALPHA", "BETA"});
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), groups.get(), ListOrder(*people));

    const auto& page = canvas.Pages.front();
    ASSERT_EQ(page.size(), 1u + 2 * 5);
    const std::string texts[] = {"ANN", "SMITH", ">> BOB", "LEE", "ALPHA >> BETA"};
    for (int column = 0; column < 5; ++column) {
        const TDrawnText& cell = page[1 + static_cast<std::size_t>(column)];
        EXPECT_EQ(cell.Text, texts[column]);
        EXPECT_EQ(cell.X, 413 + column * 826);
        EXPECT_EQ(cell.Y, 1218);
    }
    EXPECT_EQ(page[10].Text, "BETA >> ALPHA");
    EXPECT_EQ(page[10].Y, 1218 + 174);
}

TEST(AllocationListRows, CellsByAssignmentAndGroups)
{
    auto people = MakeParticipants({{"ANN", "SMITH", 0}, {"BOB", "LEE", 1}, {"CY", "", -1}, {"DI", "UM", 7}});
    auto groups = Groups({"ALPHA", "BETA"});
    TCCUser* ann = UserAt(*people, 0);
    TCCUser* bob = UserAt(*people, 1);
    TCCUser* cy = UserAt(*people, 2);
    TCCUser* di = UserAt(*people, 3);

    using Cells = std::vector<std::string>;
    auto texts = [](const std::vector<TAllocationCell>& cells) {
        Cells out;
        for (const auto& cell : cells)
            out.push_back(std::to_string(cell.Column) + ":" + cell.Text);
        return out;
    };

    // Before a draw: only the names, nothing stands in the empty columns.
    EXPECT_EQ(texts(AllocationRowCells(*ann, groups.get())), (Cells{"0:ANN", "1:SMITH"}));
    EXPECT_EQ(texts(AllocationRowCells(*cy, groups.get())), (Cells{"0:CY", "1:"}));

    ann->SetTaker(bob);
    EXPECT_EQ(texts(AllocationRowCells(*ann, groups.get())),
              (Cells{"0:ANN", "1:SMITH", "2:>> BOB", "3:LEE", "4:ALPHA >> BETA"}));
    EXPECT_EQ(texts(AllocationRowCells(*ann, nullptr)), (Cells{"0:ANN", "1:SMITH", "2:>> BOB", "3:LEE"}))
        << "no group names, no groups column";

    bob->SetTaker(cy);
    EXPECT_EQ(texts(AllocationRowCells(*bob, groups.get())), (Cells{"0:BOB", "1:LEE", "2:>> CY", "3:"}))
        << "a taker without a group leaves the groups column empty";
    cy->SetTaker(ann);
    EXPECT_EQ(texts(AllocationRowCells(*cy, groups.get())), (Cells{"0:CY", "1:", "2:>> ANN", "3:SMITH"}))
        << "a giver without a group leaves the groups column empty";
    // A group number past the end of the group names (a damaged document) is not printed.
    di->SetTaker(ann);
    EXPECT_EQ(texts(AllocationRowCells(*di, groups.get())), (Cells{"0:DI", "1:UM", "2:>> ANN", "3:SMITH"}));
}

TEST(AllocationListRows, RowsFollowTheGivenOrderAndSkipMissingRecords)
{
    auto people = MakeParticipants({{"ANN", "A"}, {"BOB", "B"}, {"CY", "C"}});
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), nullptr, {UserAt(*people, 2), nullptr, UserAt(*people, 0)});
    const auto& page = canvas.Pages.front();
    ASSERT_EQ(page.size(), 1u + 2 * 2);
    EXPECT_EQ(page[1].Text, "CY");
    EXPECT_EQ(page[3].Text, "ANN");
    EXPECT_EQ(page[3].Y - page[1].Y, 174) << "a missing record does not move y";
}

TEST(AllocationListRows, WithoutRowsTheListBoxOrderIsUsed)
{
    // By display text, letter case ignored: group numbers first ("10 ..." before "2 ..."),
    // then names; entry order does not count.
    auto people = MakeParticipants({{"zed", "Z", 1}, {"Amy", "B", 1}, {"bob", "C", 1}, {"Kim", "D", 9}});
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), nullptr);
    std::vector<std::string> firstNames;
    for (const TDrawnText& drawn : canvas.Pages.front())
        if (drawn.X == 413 && drawn.Y >= 1218)
            firstNames.push_back(drawn.Text);
    EXPECT_EQ(firstNames, (std::vector<std::string>{"Kim", "Amy", "bob", "zed"}));
}

TEST(AllocationListRows, FewerThanTwoEntriesPrintNothing)
{
    auto one = MakeParticipants({{"ANN", "SMITH"}});
    auto none = MakeParticipants({});
    for (const TStringList* list : std::initializer_list<const TStringList*>{nullptr, none.get(), one.get()}) {
        TRecordingCanvas canvas;
        PrintAllocationList(canvas, list, nullptr, list != nullptr ? ListOrder(*list) : std::vector<const TCCUser*>{});
        EXPECT_TRUE(canvas.Log.empty());
        TRecordingCanvas ordered;
        PrintAllocationList(ordered, list, nullptr);
        EXPECT_TRUE(ordered.Log.empty());
    }
}

TEST(AllocationListRows, NeverStartsANewPage)
{
    auto people = People(500);
    TRecordingCanvas canvas;
    PrintAllocationList(canvas, people.get(), nullptr, ListOrder(*people));
    EXPECT_EQ(std::count(canvas.Log.begin(), canvas.Log.end(), "page"), 0);
    EXPECT_EQ(canvas.Pages.front().size(), 1u + 2 * 500);
}

} // namespace
