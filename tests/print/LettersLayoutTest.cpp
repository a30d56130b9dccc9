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
    auto people = MakeParticipants({{"ANN", "SMITH", 0}, {"BOB", "LEE", 1}, {"CY", "", 2}});
    AssignInCircle(*people);
    return people;
}

std::vector<std::string> TextsOf(const std::vector<TDrawnText>& page)
{
    std::vector<std::string> texts;
    for (const TDrawnText& drawn : page)
        texts.push_back(drawn.Text);
    return texts;
}

TEST(LetterLayout, DefaultTemplateOnA4At600Dpi)
{
    // 4960 x 7015 pixels, seven lines: the worked example, then the fitted fonts under
    // the recording canvas's metrics (height 2 x size, width size / 2 per character).
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    const std::string sample = ChooseBodySample(*people, DefaultTemplateLines());
    ASSERT_EQ(sample, "You are requested to purchase and wrap a suitable present for BOB LEE MMMMM");

    const TLetterLayout layout = LayOutLetters(canvas, DefaultTemplateLines().size(), sample);
    EXPECT_EQ(layout.Margin, 413);
    EXPECT_EQ(layout.TextWidth, 4134);
    EXPECT_EQ(layout.Divisor, 54);
    EXPECT_EQ(layout.ProvisionalHeight, 129);
    // Body: 129 is too high by a ratio of exactly 2, and 129 / 2 = 64.5 rounds to 64;
    // the line step is the body sample's height (128) times 5 / 4.
    EXPECT_EQ(layout.BodySize, 64);
    EXPECT_EQ(layout.LineStep, 160);
    // Heading: 48 letters "a" in 5 x 160 pixels; the width decides: 800 x 4134 / 19200 = 172.25.
    EXPECT_EQ(layout.HeadingSize, 172);
    EXPECT_EQ(canvas.SizesSet, (std::vector<int>{129, 64, 800, 172}));
}

TEST(LetterLayout, DivisorGrowsWithTemplateLengthFromSixLines)
{
    struct {
        std::size_t lines;
        int divisor;
        int provisionalHeight;
    } const cases[] = {{0, 50, 140}, {4, 50, 140}, {5, 50, 140}, {6, 52, 134}, {7, 54, 129}, {30, 100, 70}};
    for (const auto& c : cases) {
        TRecordingCanvas canvas;
        const TLetterLayout layout = LayOutLetters(canvas, c.lines, "MMMMM");
        EXPECT_EQ(layout.Divisor, c.divisor) << c.lines << " lines";
        EXPECT_EQ(layout.ProvisionalHeight, c.provisionalHeight) << c.lines << " lines";
        EXPECT_EQ(canvas.SizesSet.front(), c.provisionalHeight) << c.lines << " lines";
    }
}

TEST(LetterLayout, PageWithOffsetOriginMeasuresFromItsEdges)
{
    TRecordingCanvas canvas;
    canvas.Page = {100, 200, 1300, 5200};
    const TLetterLayout layout = LayOutLetters(canvas, 7, "MMMMM");
    EXPECT_EQ(layout.Margin, 100);
    EXPECT_EQ(layout.TextWidth, 1300 - 100 - 100);
    EXPECT_EQ(layout.ProvisionalHeight, 5000 / 54);
}

TEST(LetterBodySample, LongestExpansionForTheFirstEntry)
{
    auto people = ThreeInCircle();
    // Lengths count after expansion for ANN SMITH: 9 characters beat 8 (unexpanded, 3 would lose).
    EXPECT_EQ(ChooseBodySample(*people, {"[M]", "xxxxxxxx"}), "ANN SMITHMMMMM");
    EXPECT_EQ(ChooseBodySample(*people, {"[G]", "[M]"}), "ANN SMITHMMMMM");
    // Of equally long lines the earliest wins.
    EXPECT_EQ(ChooseBodySample(*people, {"abc", "xyz", "q"}), "abcMMMMM");
    EXPECT_EQ(ChooseBodySample(*people, {}), "MMMMM");
    EXPECT_EQ(ChooseBodySample(*people, {"", ""}), "MMMMM");
}

TEST(LetterBodySample, FirstEntryWithoutRecordLeavesLinesUnexpanded)
{
    auto people = ThreeInCircle();
    people->Insert(0, "NOBODY", nullptr);
    EXPECT_EQ(ChooseBodySample(*people, {"[M]", "ab"}), "[M]MMMMM");
}

TEST(PrintLetters, OnePagePerGiverInListOrder)
{
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), DefaultTemplateLines(), false, random);

    ASSERT_EQ(canvas.Pages.size(), 3u);
    EXPECT_EQ(canvas.Begun, 1);
    EXPECT_EQ(canvas.Ended, 1);
    EXPECT_EQ(std::count(canvas.Log.begin(), canvas.Log.end(), "page"), 2);
    // No page break after the last letter: the log ends with its last line, then "end".
    ASSERT_GE(canvas.Log.size(), 2u);
    EXPECT_EQ(canvas.Log.back(), "end");
    EXPECT_EQ(canvas.Log[canvas.Log.size() - 2], "text 413,6055:Do not loose this note. ");

    EXPECT_EQ(TextsOf(canvas.Pages[1]),
              (std::vector<std::string>{"BOB LEE", "Dear BOB LEE", "You have been assigned CY  in the Kris Kringle. ",
                                        "You are requested to purchase and wrap a suitable present for CY  ",
                                        "The value of the present is as agreed.",
                                        "This note has been produced by an automated computer program.",
                                        "It is possible that no one else knows who you have been assigned.",
                                        "Do not loose this note. "}));
    EXPECT_EQ(canvas.Pages[2].front().Text, "CY ");
    EXPECT_EQ(canvas.Pages[2][1].Text, "Dear CY ");
}

TEST(PrintLetters, HeadingCentredAndBodyAtTheFoot)
{
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), DefaultTemplateLines(), false, random);

    // Headings at 172 points (86 pixels per character), five line steps (800) down.
    const int headingX[] = {413 + (4134 - 9 * 86) / 2, 413 + (4134 - 7 * 86) / 2, 413 + (4134 - 3 * 86) / 2};
    for (std::size_t page = 0; page < 3; ++page) {
        const TDrawnText& heading = canvas.Pages[page].front();
        EXPECT_EQ(heading.X, headingX[page]);
        EXPECT_EQ(heading.Y, 800);
        EXPECT_EQ(heading.Size, 172);
        // The body: seven lines a line step apart, the first 12 steps above the bottom,
        // the last 6 steps above it, all at the body size on the margin.
        ASSERT_EQ(canvas.Pages[page].size(), 8u);
        for (int line = 0; line < 7; ++line) {
            const TDrawnText& body = canvas.Pages[page][static_cast<std::size_t>(line) + 1];
            EXPECT_EQ(body.X, 413);
            EXPECT_EQ(body.Y, 7015 - 12 * 160 + line * 160);
            EXPECT_EQ(body.Size, 64);
        }
    }
}

TEST(PrintLetters, HeadingWiderThanTheTextAreaStartsLeftOfThePage)
{
    auto people = MakeParticipants({{std::string(30, 'W'), std::string(30, 'W')}, {"B", "B"}});
    TRecordingCanvas canvas;
    canvas.Page = {0, 0, 1200, 7015};
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), {"x"}, false, random);
    const TDrawnText& heading = canvas.Pages.front().front();
    const int width = heading.Size * 61 / 2;
    ASSERT_GT(width, 1000);
    // Truncating toward zero: (1000 - width) / 2 rounds up for a negative difference.
    EXPECT_EQ(heading.X, 100 + (1000 - width) / 2);
    EXPECT_LT(heading.X, 0);
}

TEST(PrintLetters, EmptyTemplatePrintsHeadingsOnly)
{
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), {}, false, random);
    ASSERT_EQ(canvas.Pages.size(), 3u);
    for (const auto& page : canvas.Pages)
        EXPECT_EQ(page.size(), 1u);
    EXPECT_EQ(canvas.SizesSet.front(), 7015 / 50);
}

TEST(PrintLetters, EmptyTemplateLineKeepsItsLineStep)
{
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), {"one", "", "three"}, false, random);
    const auto& page = canvas.Pages.front();
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page[2].Text, "");
    EXPECT_EQ(page[3].Y - page[1].Y, 2 * (page[2].Y - page[1].Y));
}

TEST(PrintLetters, FewerThanTwoEntriesPrintNothing)
{
    TRandomSource random(7);
    auto one = MakeParticipants({{"ANN", "SMITH"}});
    auto none = MakeParticipants({});
    for (const TStringList* list : std::initializer_list<const TStringList*>{nullptr, none.get(), one.get()}) {
        for (bool testLetter : {false, true}) {
            TRecordingCanvas canvas;
            PrintLetters(canvas, list, DefaultTemplateLines(), testLetter, random);
            EXPECT_TRUE(canvas.Log.empty());
        }
    }
    EXPECT_EQ(random.Seed(), 7u) << "no index may be drawn for a job that prints nothing";
}

TEST(PrintLetters, ExactlyTwoEntriesPrint)
{
    auto people = MakeParticipants({{"ANN", "SMITH"}, {"BOB", "LEE"}});
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), DefaultTemplateLines(), false, random);
    EXPECT_EQ(canvas.Pages.size(), 2u);
}

TEST(PrintLetters, EntriesWithoutRecordGetNoPage)
{
    auto people = ThreeInCircle();
    people->Insert(1, "GHOST", nullptr);
    people->Add("TRAILING GHOST", nullptr);
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), {"Dear [M]"}, false, random);
    ASSERT_EQ(canvas.Pages.size(), 3u);
    for (const auto& page : canvas.Pages)
        EXPECT_FALSE(page.empty()) << "no empty page, not even after the last letter";
    EXPECT_EQ(canvas.Log.back(), "end");
}

TEST(PrintLetters, GiverWithoutTakerStillGetsALetter)
{
    auto people = MakeParticipants({{"ANN", "SMITH"}, {"BOB", "LEE"}});
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), DefaultTemplateLines(), false, random);
    EXPECT_EQ(canvas.Pages[0][2].Text, "You have been assigned  in the Kris Kringle. ");
}

TEST(PrintLetters, TestLetterIsForTheDrawnEntryWithFontsFromTheFirst)
{
    // Long names at index 0 make a wide body sample; the test letter keeps its fonts.
    auto people = MakeParticipants({{"ANNABELLE", "SMITHERSON"}, {"BO", "LI"}, {"CY", "OH"}, {"DI", "UM"}});
    AssignInCircle(*people);
    const std::vector<std::string> lines{"Dear [M], you give to [G]."};

    TRecordingCanvas allCanvas;
    TRandomSource unused(1);
    PrintLetters(allCanvas, people.get(), lines, false, unused);

    for (std::uint32_t seed : {0u, 1u, 2u, 3u, 12345u}) {
        TRandomSource expectedSource(seed);
        const std::size_t expected = expectedSource.Next(4);
        TRecordingCanvas canvas;
        TRandomSource random(seed);
        PrintLetters(canvas, people.get(), lines, true, random);
        EXPECT_EQ(random.Seed(), expectedSource.Seed()) << "one draw from the shared source";
        ASSERT_EQ(canvas.Pages.size(), 1u);
        EXPECT_EQ(std::count(canvas.Log.begin(), canvas.Log.end(), "page"), 0);
        // Exactly the page the all-letters job prints for that entry.
        const auto& page = canvas.Pages.front();
        const auto& reference = allCanvas.Pages[expected];
        ASSERT_EQ(page.size(), reference.size());
        for (std::size_t i = 0; i < page.size(); ++i) {
            EXPECT_EQ(page[i].Text, reference[i].Text);
            EXPECT_EQ(page[i].X, reference[i].X);
            EXPECT_EQ(page[i].Y, reference[i].Y);
            EXPECT_EQ(page[i].Size, reference[i].Size);
        }
    }
}

TEST(PrintLetters, TestLetterOnEntryWithoutRecordPrintsAnEmptyDocument)
{
    auto people = MakeParticipants({{"ANN", "SMITH"}});
    people->Add("GHOST", nullptr);
    // Find a seed whose first draw out of two is the record-less entry 1.
    std::uint32_t seed = 0;
    while (TRandomSource(seed).Next(2) != 1)
        ++seed;
    TRecordingCanvas canvas;
    TRandomSource random(seed);
    PrintLetters(canvas, people.get(), {"Dear [M]"}, true, random);
    EXPECT_EQ(canvas.Begun, 1);
    EXPECT_EQ(canvas.Ended, 1);
    EXPECT_TRUE(canvas.Pages.front().empty());
}

TEST(PrintLetters, LayoutIsWorkedOutAfterTheDocumentBegins)
{
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), DefaultTemplateLines(), false, random);
    EXPECT_EQ(canvas.Log.front(), "begin");
}

TEST(PrintLetters, NonPrinterCanvasKeepsItsFontForFitting)
{
    // Font fitting acts only on the printer's canvas; the layout still prints.
    auto people = ThreeInCircle();
    TRecordingCanvas canvas;
    canvas.Printer = false;
    TRandomSource random(1);
    PrintLetters(canvas, people.get(), {"Dear [M]"}, false, random);
    ASSERT_EQ(canvas.Pages.size(), 3u);
    // Size 10 throughout: line step (20 x 5) / 4 = 25.
    EXPECT_EQ(canvas.Pages[0][0].Size, 10);
    EXPECT_EQ(canvas.Pages[0][0].Y, 5 * 25);
    EXPECT_EQ(canvas.Pages[0][1].Y, 7015 - 6 * 25);
}

TEST(DefaultTemplate, SevenLinesWithTheirTrailingBlanks)
{
    const auto& lines = DefaultTemplateLines();
    ASSERT_EQ(lines.size(), 7u);
    const bool endsInBlank[] = {false, true, true, false, false, false, true};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].back() == ' ', endsInBlank[i]) << "line " << i + 1;
        EXPECT_NE(lines[i].substr(lines[i].size() - 2), "  ") << "line " << i + 1;
    }
    EXPECT_EQ(lines[0], "Dear [M]");
}

} // namespace
