#include "print/qt/QtPrinterCanvas.h"
#include "print/AllocationList.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "print/qt/QtPrinterService.h"

#include "persist/PersistTestSupport.h"
#include "support/FileFaults.h"

#include "Participants.h"
#include "PdfTools.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <regex>

#include <unistd.h>

using namespace testsupport;

namespace {

using QtPrinterCanvasTest = TPdfTest;

/// A job on `path` at 600 dpi that writes one text at (x, y) and ends, or is dropped unended.
void WriteOneText(
    const std::string& path, const std::string& text, bool end = true, int size = 20, int x = 600, int y = 600)
{
    auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
    canvas->BeginDocument();
    canvas->SetFontSize(size);
    canvas->TextOut(x, y, text);
    if (end)
        canvas->EndDocument();
}

TEST_F(QtPrinterCanvasTest, PdfSheetIsWholeA4AtTheAskedResolution)
{
    // 210 x 297 mm at 600 dpi is 4961 x 7016 pixels; Qt's A4 is 595 x 842 points.
    const TRect page = TQtPrinterCanvas::ForPdf(PathOf("a.pdf"), 600)->ClipRect();
    EXPECT_EQ(page.Left, 0);
    EXPECT_EQ(page.Top, 0);
    EXPECT_NEAR(page.Right, 4960, 3);
    EXPECT_NEAR(page.Bottom, 7015, 3);
    EXPECT_EQ(TQtPrinterCanvas::ForPdf(PathOf("b.pdf"))->DotsPerInch(), 1200);
}

TEST_F(QtPrinterCanvasTest, TextIsPlacedByItsTopLeftCorner)
{
    const std::string path = PathOf("corner.pdf");
    WriteOneText(path, "Corner", true, 40, 600, 1200);
    // pdftotext -bbox gives the word's box in points: 600 px = 72 pt, 1200 px = 144 pt.
    const std::string boxes = CommandOutput("pdftotext -bbox " + Quoted(path) + " - 2>/dev/null");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(boxes, match, std::regex(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)".*>Corner<)re")))
        << boxes;
    EXPECT_NEAR(std::stod(match[1]), 72.0, 1.5);
    EXPECT_NEAR(std::stod(match[2]), 144.0, 1.5);
}

TEST_F(QtPrinterCanvasTest, Windows1252TextsPrintAsTheirCharacters)
{
    const std::string path = PathOf("ansi.pdf");
    WriteOneText(path, "Zo\xEB M\xFCller \x80 5");
    EXPECT_NE(PdfText(path).find("Zoë Müller € 5"), std::string::npos) << PdfText(path);
}

TEST_F(QtPrinterCanvasTest, JobThatNeverEndsLeavesNothingAndAnEarlierFileAlone)
{
    const std::string path = PathOf("kept.pdf");
    {
        auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
        canvas->BeginDocument();
        canvas->TextOut(600, 600, "half a job");
        canvas->NewPage();
    }
    EXPECT_TRUE(dir.Entries().empty());

    WriteFileBytes(path, { 'o', 'l', 'd' });
    WriteOneText(path, "never ended", false);
    EXPECT_EQ(ReadFileBytes(path), (Bytes { 'o', 'l', 'd' }));
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { "kept.pdf" });

    // A job that ends replaces it.
    WriteOneText(path, "complete");
    EXPECT_NE(PdfText(path).find("complete"), std::string::npos);
}

TEST_F(QtPrinterCanvasTest, UnwritableFolderFailsAtTheBeginWithItsReason)
{
    const std::string path = PathOf("missing/folder/out.pdf");
    auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
    try {
        canvas->BeginDocument();
        FAIL() << "a job in a folder that does not exist began";
    } catch (const EPrintError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST_F(QtPrinterCanvasTest, APdfTheDiskCannotHoldIsReportedAndLeavesTheEarlierFile)
{
    const std::string path = PathOf("letters.pdf");
    WriteFileBytes(path, { 'o', 'l', 'd' });
    auto people = MakeParticipants({ { "ANN", "SMITH" }, { "BOB", "LEE" }, { "CY", "OH" } });
    AssignInCircle(*people);
    for (const rlim_t room : { 0, 3000 }) {
        SCOPED_TRACE(room);
        std::string message;
        try {
            const TFileSizeLimit limit(room);
            const auto canvas = TQtPrinterCanvas::ForPdf(path, 600);
            TRandomSource random(1);
            PrintLetters(*canvas, people.get(), DefaultTemplateLines(), false, random);
        } catch (const EPrintError& error) {
            message = error.what();
        }
        // Qt does not say why; the message does.
        EXPECT_EQ(
            message, "The PDF file " + path + " could not be written: File too large. The earlier file is unchanged.");
        EXPECT_EQ(ReadFileBytes(path), (Bytes { 'o', 'l', 'd' }));
        EXPECT_EQ(dir.Entries(), std::vector<std::string> { "letters.pdf" });
    }
}

TEST_F(QtPrinterCanvasTest, FittedBodyFontFitsItsBox)
{
    // The real font on a real page: the fitted sample is no higher than the provisional
    // height and no wider than the text area.
    auto people = MakeParticipants({ { "ANN", "SMITH" }, { "BOB", "LEE" } });
    AssignInCircle(*people);
    auto canvas = TQtPrinterCanvas::ForPdf(PathOf("fit.pdf"), 600);
    const std::string sample = ChooseBodySample(*people, DefaultTemplateLines());
    const TLetterLayout layout = LayOutLetters(*canvas, DefaultTemplateLines().size(), sample);
    canvas->SetFontSize(layout.BodySize);
    EXPECT_LE(canvas->TextHeight(sample), layout.ProvisionalHeight);
    EXPECT_LE(canvas->TextWidth(sample), layout.TextWidth);
    EXPECT_GT(layout.BodySize, 3);
    canvas->SetFontSize(layout.HeadingSize);
    EXPECT_LE(canvas->TextWidth(std::string(48, 'a')), layout.TextWidth);
    EXPECT_GT(layout.HeadingSize, layout.BodySize);
}

TEST_F(QtPrinterCanvasTest, LongListKeepsReadableRowsThatDoNotOverlap)
{
    std::vector<TPerson> people;
    for (int i = 0; i < 300; ++i)
        people.push_back({ "FIRST" + std::to_string(i), "LAST", i % 2 });
    auto participants = MakeParticipants(people);
    AssignInCircle(*participants);
    auto canvas = TQtPrinterCanvas::ForPdf(PathOf("list.pdf"), 600);
    const TAllocationListLayout layout = LayOutAllocationList(*canvas, 300);
    EXPECT_GE(layout.RowSize, 6);
    EXPECT_LE(canvas->TextHeight("FIRST0"), layout.LineStep);
    PrintAllocationList(*canvas, participants.get(), nullptr);
    EXPECT_GT(PdfPageCount(PathOf("list.pdf")), 1);
    EXPECT_NE(PdfText(PathOf("list.pdf")).find("FIRST299"), std::string::npos);
}

TEST_F(QtPrinterCanvasTest, ServiceWithoutPrinterAsksForAPdfOncePerJob)
{
    int asked = 0;
    std::optional<std::string> answer;
    TQtPrinterService service(
        [&] {
            ++asked;
            return answer;
        },
        [] { return QPrinterInfo(); });

    EXPECT_EQ(service.OpenJob(""), nullptr) << "a cancelled question is no job";
    EXPECT_EQ(asked, 1);

    answer = PathOf("letters.pdf");
    auto people = MakeParticipants({ { "ANN", "SMITH" }, { "BOB", "LEE" }, { "CY", "OH" } });
    AssignInCircle(*people);
    {
        std::unique_ptr<TCanvas> job = service.OpenJob(PathOf("party.kks"));
        ASSERT_NE(job, nullptr);
        EXPECT_EQ(asked, 2);
        TRandomSource random(1);
        PrintLetters(*job, people.get(), DefaultTemplateLines(), false, random);
    }
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(PdfPageCount(*answer), 3);
    EXPECT_NE(PdfText(*answer, 3).find("You have been assigned ANN SMITH"), std::string::npos);
    EXPECT_EQ(PdfText(*answer, 2).find("ANN SMITH"), std::string::npos);
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { "letters.pdf" }) << "nothing left beside the file";
    EXPECT_EQ("Kris Kringle letters", PdfInfoField(*answer, "Title"));
    EXPECT_EQ(std::string("Tinselwick ") + kTinselwickVersion, PdfInfoField(*answer, "Creator"));
}

TEST_F(QtPrinterCanvasTest, APdfIsNeverWrittenOverTheOpenDocument)
{
    const std::string document = PathOf("party.kks");
    WriteFileBytes(document, { 'K' });
    ASSERT_EQ(0, ::symlink(document.c_str(), PathOf("link.pdf").c_str()));
    for (const std::string& name : { document, PathOf("link.pdf") }) {
        TQtPrinterService service([name] { return std::optional(name); }, [] { return QPrinterInfo(); });
        EXPECT_EQ("The PDF file would replace the document " + document,
            MessageOf<EPrintError>([&] { service.OpenJob(document); }));
    }
    EXPECT_EQ(Bytes { 'K' }, ReadFileBytes(document));
}

} // namespace
