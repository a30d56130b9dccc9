#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"

#include "Participants.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// ANN SMITH gives to BOB LEE, BOB LEE to CY (empty last name), CY to ANN SMITH.
std::unique_ptr<TStringList> ThreeInCircle()
{
    auto people = MakeParticipants({ { "ANN", "SMITH", 0 }, { "BOB", "LEE", 1 }, { "CY", "", 2 } });
    AssignInCircle(*people);
    return people;
}

TRecordingCanvas PrintAll(const TStringList* people, const std::vector<std::string>& lines)
{
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people, lines, false, random);
    return canvas;
}

TEST(LetterLayout, DefaultTemplateOnA4At600Dpi)
{
    // The worked example (4960 x 7015, seven lines), then the fonts fitted under the
    // recording canvas's metrics: height 2 x size, width size / 2 per character.
    auto people = ThreeInCircle();
    const std::string sample = ChooseBodySample(*people, DefaultTemplateLines());
    ASSERT_EQ(sample, "You are requested to purchase and wrap a suitable present for BOB LEE MMMMM");
    TRecordingCanvas canvas;
    const TLetterLayout layout = LayOutLetters(canvas, DefaultTemplateLines().size(), sample);
    EXPECT_EQ(layout.Margin, 413);
    EXPECT_EQ(layout.TextWidth, 4134);
    EXPECT_EQ(layout.Divisor, 54);
    EXPECT_EQ(layout.ProvisionalHeight, 129);
    // 129 is too high by exactly 2: 64.5 rounds to 64; the line step is 128 x 5 / 4.
    EXPECT_EQ(layout.BodySize, 64);
    EXPECT_EQ(layout.LineStep, 160);
    // 48 letters "a" in 5 x 160 pixels: the width decides, 800 x 4134 / 19200 = 172.25.
    EXPECT_EQ(layout.HeadingSize, 172);
    EXPECT_EQ(canvas.SizesSet, (std::vector<int> { 129, 64, 800, 172 }));
}

TEST(LetterLayout, DivisorByTemplateLength)
{
    const struct {
        std::size_t lines;
        int divisor;
        int provisionalHeight;
    } cases[] = { { 0, 50, 140 }, { 4, 50, 140 }, { 5, 50, 140 }, { 6, 52, 134 }, { 7, 54, 129 }, { 30, 100, 70 } };
    for (const auto& c : cases) {
        TRecordingCanvas canvas;
        const TLetterLayout layout = LayOutLetters(canvas, c.lines, "MMMMM");
        EXPECT_EQ(layout.Divisor, c.divisor) << c.lines << " lines";
        EXPECT_EQ(layout.ProvisionalHeight, c.provisionalHeight) << c.lines << " lines";
    }
}

TEST(LetterLayout, BodySampleIsTheFirstEntrysLongestExpansion)
{
    auto people = ThreeInCircle();
    // Lengths count after expansion for ANN SMITH: 9 characters beat 8 (unexpanded, 3 would lose).
    EXPECT_EQ(ChooseBodySample(*people, { "[M]", "xxxxxxxx" }), "ANN SMITHMMMMM");
    EXPECT_EQ(ChooseBodySample(*people, { "abc", "xyz" }), "abcMMMMM") << "the earliest of equals";
    EXPECT_EQ(ChooseBodySample(*people, {}), "MMMMM");
    people->Insert(0, "NOBODY", nullptr);
    EXPECT_EQ(ChooseBodySample(*people, { "[M]", "ab" }), "[M]MMMMM");
}

TEST(PrintLetters, OnePagePerGiverHeadingCentredBodyAtTheFoot)
{
    auto people = ThreeInCircle();
    const TRecordingCanvas canvas = PrintAll(people.get(), DefaultTemplateLines());

    EXPECT_EQ(canvas.Log.front(), "begin");
    EXPECT_EQ(std::count(canvas.Log.begin(), canvas.Log.end(), "page"), 2);
    // No page break after the last letter.
    EXPECT_EQ(canvas.Log[canvas.Log.size() - 2], "text 413,6055:Do not loose this note. ");
    EXPECT_EQ(canvas.Log.back(), "end");

    ASSERT_EQ(canvas.Pages.size(), 3u);
    const char* headings[] = { "ANN SMITH", "BOB LEE", "CY " };
    for (std::size_t p = 0; p < 3; ++p) {
        const auto& page = canvas.Pages[p];
        ASSERT_EQ(page.size(), 8u);
        // Heading at 172 points (86 pixels a character), centred, five line steps down.
        const int width = 86 * static_cast<int>(std::string(headings[p]).size());
        EXPECT_EQ(page[0].Text, headings[p]);
        EXPECT_EQ(page[0].X, 413 + (4134 - width) / 2);
        EXPECT_EQ(page[0].Y, 800);
        EXPECT_EQ(page[0].Size, 172);
        // Seven body lines on the margin from 12 to 6 line steps above the bottom.
        for (std::size_t line = 1; line < 8; ++line) {
            EXPECT_EQ(page[line].X, 413);
            EXPECT_EQ(page[line].Y, 7015 - 12 * 160 + static_cast<int>(line - 1) * 160);
            EXPECT_EQ(page[line].Size, 64);
        }
    }
    EXPECT_EQ(canvas.Pages[1][1].Text, "Dear BOB LEE");
    EXPECT_EQ(canvas.Pages[1][2].Text, "You have been assigned CY  in the Kris Kringle. ");
}

TEST(PrintLetters, TextsPastTheMarginsKeepTheirPlaceTextsOffThePaperAreLowered)
{
    // A page 1200 pixels wide: margin 100, text area 100 to 1100. The first entry's short
    // names fit the body at 70 points (35 pixels a character); the heading gets 41 (20.5).
    const struct {
        int first;
        int last;
        int headingX;
        int headingSize;
        int bodySize;
    } cases[] = {
        { 14, 15, 292, 41, 70 }, // heading inside the margins; body to 1150, past the margin only
        { 25, 25, 78, 41, 43 }, // heading 1045 wide, past both margins, kept; body lowered to 1200
        { 30, 30, 5, 39, 36 }, // heading lowered to the page's width and centred on it
    };
    std::vector<TPerson> people { { "B", "B" } };
    for (const auto& c : cases)
        people.push_back({ std::string(c.first, 'W'), std::string(c.last, 'W') });
    auto participants = MakeParticipants(people);
    TRecordingCanvas canvas;
    canvas.Page = { 0, 0, 1200, 7015 };
    TRandomSource random(1);
    PrintLetters(canvas, participants.get(), { "[M]", "x" }, false, random);
    ASSERT_EQ(canvas.Pages.size(), 4u);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& page = canvas.Pages[i + 1];
        EXPECT_EQ(page[0].X, cases[i].headingX) << page[0].Text;
        EXPECT_EQ(page[0].Size, cases[i].headingSize) << page[0].Text;
        EXPECT_EQ(page[1].X, 100);
        EXPECT_EQ(page[1].Size, cases[i].bodySize) << page[1].Text;
        EXPECT_EQ(page[2].Size, 70) << "the next line is back at the body size";
    }
}

TEST(PrintLetters, EmptyTemplateAndEmptyLines)
{
    auto people = ThreeInCircle();
    const TRecordingCanvas none = PrintAll(people.get(), {});
    ASSERT_EQ(none.Pages.size(), 3u);
    EXPECT_EQ(none.Pages[0].size(), 1u) << "the heading only";

    const TRecordingCanvas gap = PrintAll(people.get(), { "one", "", "three" });
    const auto& page = gap.Pages.front();
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page[3].Y - page[1].Y, 2 * (page[2].Y - page[1].Y)) << "an empty line keeps its step";
}

TEST(PrintLetters, AHugeTemplateIsLaidOutOnlyWhereItCanShowOnThePage)
{
    // 32767 lines of 255 characters: the body starts far above the page; the lines that
    // reach it are drawn where they always were, and no other line is measured.
    std::vector<std::string> lines;
    for (int k = 0; k < 32767; ++k)
        lines.push_back(("[M] " + std::to_string(k) + " ").append(255, 'x').substr(0, 255));
    auto people = ThreeInCircle();
    const TRecordingCanvas canvas = PrintAll(people.get(), lines);
    ASSERT_EQ(canvas.Pages.size(), 3u);
    for (int p = 0; p < 3; ++p) {
        const std::vector<TDrawnText> body(canvas.Pages[p].begin() + 1, canvas.Pages[p].end());
        ASSERT_GT(body.size(), 100u);
        const int step = body[1].Y - body[0].Y;
        const std::size_t first = lines.size() - body.size();
        EXPECT_GT(body.front().Y + step, canvas.Page.Top) << "the first line drawn shows";
        EXPECT_LE(body.front().Y, canvas.Page.Top) << "the line before it would not";
        EXPECT_EQ(body.back().Y, canvas.Page.Bottom - 6 * step);
        for (std::size_t i = 0; i < body.size(); ++i) {
            ASSERT_EQ(body[i].Y, body.front().Y + static_cast<int>(i) * step);
            ASSERT_EQ(body[i].Text, ExpandTemplateLine(lines[first + i], UserAt(*people, p)));
        }
    }
    EXPECT_LT(canvas.Measured, 3 * static_cast<int>(canvas.Pages[0].size() + 10));
}

TEST(PrintJobs, FewerThanTwoEntriesPrintNothing)
{
    TRandomSource random(7);
    auto one = MakeParticipants({ { "ANN", "SMITH" } });
    auto none = MakeParticipants({});
    for (const TStringList* list : std::initializer_list<const TStringList*> { nullptr, none.get(), one.get() }) {
        TRecordingCanvas canvas;
        for (bool testLetter : { false, true })
            PrintLetters(canvas, list, DefaultTemplateLines(), testLetter, random);
        PrintAllocationList(canvas, list, nullptr);
        PrintAllocationList(canvas, list, nullptr, {});
        EXPECT_TRUE(canvas.Log.empty());
    }
    EXPECT_EQ(random.Seed(), 7u) << "no index is drawn for a job that prints nothing";
    auto two = MakeParticipants({ { "ANN", "SMITH" }, { "BOB", "LEE" } });
    EXPECT_EQ(PrintAll(two.get(), { "x" }).Pages.size(), 2u);
}

TEST(PrintLetters, JobIsOpenedOnlyWhenThereIsSomethingToPrint)
{
    TRandomSource random(1);
    auto one = MakeParticipants({ { "ANN", "SMITH" } });
    auto two = MakeParticipants({ { "ANN", "SMITH" }, { "BOB", "LEE" } });
    auto groups = std::make_unique<TStringList>();

    TRecordingPrinter printer;
    PrintLetters(printer, one.get(), { "x" }, false, random);
    PrintAllocationList(printer, one.get(), groups.get(), { UserAt(*one, 0) });
    EXPECT_EQ(printer.Opened, 0) << "nobody is asked for a file in vain";

    printer.Cancel = true;
    PrintLetters(printer, two.get(), { "x" }, true, random);
    PrintAllocationList(printer, two.get(), groups.get(), { UserAt(*two, 0), UserAt(*two, 1) });
    EXPECT_EQ(printer.Opened, 2);
    EXPECT_TRUE(printer.Canvas.Log.empty());
    EXPECT_EQ(random.Seed(), 1u) << "a cancelled test letter draws no index";

    printer.Cancel = false;
    PrintLetters(printer, two.get(), { "x" }, false, random);
    PrintAllocationList(printer, two.get(), groups.get(), { UserAt(*two, 0), UserAt(*two, 1) });
    EXPECT_EQ(printer.Opened, 4);
    EXPECT_EQ(printer.Canvas.Pages.size(), 3u) << "two letters and the list";
}

TEST(PrintLetters, EntriesWithoutRecordGetNoPage)
{
    auto people = ThreeInCircle();
    people->Insert(1, "GHOST", nullptr);
    people->Add("TRAILING GHOST", nullptr);
    const TRecordingCanvas canvas = PrintAll(people.get(), { "Dear [M]" });
    ASSERT_EQ(canvas.Pages.size(), 3u);
    for (const auto& page : canvas.Pages)
        EXPECT_FALSE(page.empty()) << "no empty page, not even after the last letter";
}

TEST(PrintLetters, TestLetterIsTheDrawnEntrysPageWithTheFirstEntrysFonts)
{
    // Long names at index 0 make a wide body sample; the test letter keeps its fonts.
    auto people = MakeParticipants({ { "ANNABELLE", "SMITHERSON" }, { "BO", "LI" }, { "CY", "OH" }, { "DI", "UM" } });
    AssignInCircle(*people);
    const std::vector<std::string> lines { "Dear [M], you give to [G]." };
    const TRecordingCanvas all = PrintAll(people.get(), lines);

    for (std::uint32_t seed : { 0u, 1u, 2u, 3u, 12345u }) {
        TRandomSource expected(seed);
        const std::size_t index = expected.Next(4);
        TRecordingCanvas canvas;
        TRandomSource random(seed);
        PrintLetters(canvas, people.get(), lines, true, random);
        EXPECT_EQ(random.Seed(), expected.Seed()) << "one draw from the shared source";
        ASSERT_EQ(canvas.Pages.size(), 1u);
        const auto& page = canvas.Pages.front();
        ASSERT_EQ(page.size(), all.Pages[index].size());
        for (std::size_t i = 0; i < page.size(); ++i) {
            EXPECT_EQ(page[i].Text, all.Pages[index][i].Text);
            EXPECT_EQ(page[i].Y, all.Pages[index][i].Y);
            EXPECT_EQ(page[i].Size, all.Pages[index][i].Size);
        }
    }
}

TEST(LetterLayout, AFileIsTitledAsLettersForItsOneGiverAloneOrAsTheList)
{
    auto people = ThreeInCircle();
    const std::vector<std::string> lines { "[M] gives to [G]" };
    TRandomSource random(7);
    TRecordingCanvas all, drawn, chosen, cy, list;
    PrintLetters(all, people.get(), lines, false, random);
    PrintLetters(drawn, people.get(), lines, true, random);
    PrintTestLetter(chosen, people.get(), lines, 1);
    PrintGiversLetter(cy, *people, lines, *UserAt(*people, 2));
    PrintAllocationList(list, people.get(), nullptr);
    EXPECT_EQ("Kris Kringle letters", all.Title);
    EXPECT_EQ("Kris Kringle letter for " + UserAt(*people, static_cast<int>(TRandomSource(7).Next(3)))->SpacedName(),
        drawn.Title);
    EXPECT_EQ("Kris Kringle letter for BOB LEE", chosen.Title); // not a word of CY, whom BOB gives to
    EXPECT_EQ("Kris Kringle letter for CY", cy.Title); // no blank for the empty last name
    EXPECT_EQ("Test Print of Allocations For Kris Kringle", list.Title);
}

} // namespace
