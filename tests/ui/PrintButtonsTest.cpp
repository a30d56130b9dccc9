// The three print buttons: when they print, what they hand the page layout, and
// how a printer that cannot be used is reported.

#include "FormFixture.h"

#include "print/qt/QtPrinterCanvas.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <functional>

namespace {

class PrintButtonsTest : public FormTest {
protected:
    /// AMY JONES in group B is added before ZED SMITH in group A, so the participants
    /// list box (by display text) and the register's order differ.
    void TwoAssigned()
    {
        AddGroup(QStringLiteral("a"));
        AddGroup(QStringLiteral("b"));
        AddParticipant(QStringLiteral("amy"), QStringLiteral("jones"));
        ClickLine(F().MGroups, 0);
        AddParticipant(QStringLiteral("zed"), QStringLiteral("smith"));
        Link("AMYJONES", "ZEDSMITH");
        Link("ZEDSMITH", "AMYJONES");
        F().SetTemplateLines({ "Dear [M]", "Your present goes to [G]" });
    }
    long Count(const std::string& entry) const { return std::count(printer.log.begin(), printer.log.end(), entry); }
};

TEST_F(PrintButtonsTest, NothingIsPrintedWithoutTwoParticipantsOrAPrinterAndFailureIsRaised)
{
    using TAnswer = TFakePrinter::TAnswer;
    struct Case {
        int participants; // 2: two, assigned to each other
        TAnswer answer;
        int jobs; // opened by the three buttons
        Messages shown;
    };
    const std::string failed = "No printer available.";
    const Case cases[] = {
        { 0, TAnswer::Job, 0, {} },
        { 1, TAnswer::Job, 0, {} },
        { 2, TAnswer::Cancel, 3, {} }, // the print dialog cancelled
        { 2, TAnswer::Fail, 3, Messages(3, Raised(failed.c_str())) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.participants);
        NewForm();
        printer.jobsOpened = 0;
        printer.answer = c.answer;
        if (c.participants == 1) {
            AddGroup(QStringLiteral("a"));
            AddParticipant(QStringLiteral("ann"), QString());
        } else if (c.participants == 2) {
            TwoAssigned();
        }
        F().CurrentFileName = "/home/ann/party.kks";
        printer.documentFile.clear();
        for (QPushButton* button : { F().BPrint, F().BOneLetter, F().BTest })
            button->click();
        EXPECT_EQ(c.jobs, printer.jobsOpened);
        EXPECT_EQ(c.jobs > 0 ? F().CurrentFileName : "", printer.documentFile) << "the job must spare the document";
        EXPECT_TRUE(printer.log.empty());
        EXPECT_EQ(c.shown, messages.shown);
        EXPECT_TRUE(CommandsEnabled());
    }
}

TEST_F(PrintButtonsTest, PrintLettersPrintsOnePagePerParticipantFromTheMemo)
{
    TwoAssigned();
    F().BPrint->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(1, Count("begin"));
    EXPECT_EQ(1, Count("page"));
    EXPECT_EQ(1, Count("end"));
    EXPECT_EQ((Strings { "AMY JONES", "Dear AMY JONES", "Your present goes to ZED SMITH", "ZED SMITH", "Dear ZED SMITH",
                  "Your present goes to AMY JONES" }),
        printer.Texts());
}

TEST_F(PrintButtonsTest, TestLetterPrintsOneLetter)
{
    TwoAssigned();
    F().BOneLetter->click();
    EXPECT_EQ(1, Count("begin"));
    EXPECT_EQ(0, Count("page"));
    EXPECT_EQ(1, Count("end"));
    const Strings texts = printer.Texts();
    ASSERT_EQ(3u, texts.size());
    EXPECT_TRUE(texts[0] == "AMY JONES" || texts[0] == "ZED SMITH") << texts[0];
    EXPECT_EQ("Dear " + texts[0], texts[1]);
}

TEST_F(PrintButtonsTest, ListTestPrintsTheRowsInTheOrderOfTheParticipantsList)
{
    TwoAssigned();
    ASSERT_EQ((Strings { "1 ZED SMITH", "2 AMY JONES" }), Lines(F().MGivers));
    F().BTest->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(1, Count("begin"));
    EXPECT_EQ(1, Count("end"));
    const Strings texts = printer.Texts();
    const auto zed = std::find(texts.begin(), texts.end(), "ZED");
    const auto amy = std::find(texts.begin(), texts.end(), "AMY");
    ASSERT_NE(texts.end(), zed);
    ASSERT_NE(texts.end(), amy);
    EXPECT_LT(zed, amy);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "A >> B"));
}

TEST_F(PrintButtonsTest, PagesAreSetInTheWindowsFace)
{
    // A job that never begins writes nothing.
    const auto pdf = TQtPrinterCanvas::ForPdf("never-written.pdf");
    const QString windowFace = QFontInfo(F().centralWidget()->font()).family();
    EXPECT_EQ(windowFace, pdf->FaceName());
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))) {
        EXPECT_EQ(windowFace, QStringLiteral("Liberation Sans"));
    }
}

} // namespace
