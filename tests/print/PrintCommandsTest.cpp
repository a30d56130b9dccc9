// The print commands of tinselwick-cli, end to end: a small document on disk, the
// built tool run without a display, and the PDF read back with poppler's tools.

#include "draw/Random.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"

#include "Participants.h"
#include "PdfTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>

#ifndef TINSELWICK_CLI
#error "TINSELWICK_CLI must name the built tinselwick-cli"
#endif

namespace {

namespace fs = std::filesystem;

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Collapses every run of blanks to one, so that columns compare as words.
std::string Squeezed(const std::string& text)
{
    return std::regex_replace(text, std::regex("[ \t]+"), " ");
}

class PrintCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("pdftotext") || !HaveTool("pdfinfo"))
            GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
        char pattern[] = "/tmp/tinselwick-print-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override
    {
        if (!folder.empty())
            fs::remove_all(folder);
    }

    std::string PathOf(const std::string& name) const { return folder + "/" + name; }

    /// Groups ALPHA, BETA, GAMMA; entered as ZOË WEST (1), ANN SMITH (2), BOB LEE (3),
    /// CY OH (2), each giving to the next one entered, the last to the first.
    std::string WriteEvening(int people = 4)
    {
        auto groups = std::make_unique<TStringList>();
        for (const char* name : { "ALPHA", "BETA", "GAMMA" })
            groups->Add(name);
        const std::vector<TPerson> everyone { { "ZO\xCB", "WEST", 0 }, { "ANN", "SMITH", 1 }, { "BOB", "LEE", 2 },
            { "CY", "OH", 1 } };
        auto participants = MakeParticipants({ everyone.begin(), everyone.begin() + people });
        if (people > 1)
            AssignInCircle(*participants);
        const std::string path = PathOf("evening.kks");
        WriteKksDocument(
            path, *groups, *participants, { "Dear [M]", "You have been assigned [G] in the Kris Kringle. " });
        return path;
    }

    /// Runs the tool with no display at all, as on a server.
    TRun Cli(const std::string& arguments) const
    {
        const std::string out = PathOf("stdout.txt");
        const std::string err = PathOf("stderr.txt");
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR=" + folder
            + " " + Quoted(TINSELWICK_CLI) + " " + arguments + " >" + Quoted(out) + " 2>" + Quoted(err);
        const int status = std::system(command.c_str());
        TRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream outFile(out), errFile(err);
        run.out.assign(std::istreambuf_iterator<char>(outFile), {});
        run.err.assign(std::istreambuf_iterator<char>(errFile), {});
        return run;
    }

    std::string folder;
};

TEST_F(PrintCommands, LettersOnePagePerGiverInDocumentOrder)
{
    const std::string document = WriteEvening();
    const std::string pdf = PathOf("letters.pdf");
    const TRun run = Cli("letters " + Quoted(document) + " --pdf " + Quoted(pdf));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("4 letters written to"), std::string::npos) << run.out;

    ASSERT_EQ(PdfPageCount(pdf), 4);
    const struct {
        const char* giver;
        const char* taker;
    } pages[]
        = { { "ZOË WEST", "ANN SMITH" }, { "ANN SMITH", "BOB LEE" }, { "BOB LEE", "CY OH" }, { "CY OH", "ZOË WEST" } };
    for (int page = 1; page <= 4; ++page) {
        const std::string text = Squeezed(PdfText(pdf, page));
        const auto& expected = pages[page - 1];
        EXPECT_NE(text.find(expected.giver), std::string::npos) << "page " << page << ":\n" << text;
        EXPECT_NE(text.find(std::string("Dear ") + expected.giver), std::string::npos) << "page " << page;
        EXPECT_NE(text.find(std::string("You have been assigned ") + expected.taker + " in the Kris Kringle."),
            std::string::npos)
            << "page " << page << ":\n"
            << text;
        // The heading stands above the body.
        EXPECT_LT(text.find(expected.giver), text.find("Dear ")) << "page " << page;
    }
}

TEST_F(PrintCommands, TestLetterIsForTheEntryTheSeedDraws)
{
    const std::string document = WriteEvening();
    const char* givers[] = { "ZOË WEST", "ANN SMITH", "BOB LEE", "CY OH" };
    for (std::uint32_t seed : { 1u, 2u, 77u, 4000000000u }) {
        const std::size_t index = TRandomSource(seed).Next(4);
        const std::string pdf = PathOf("test-" + std::to_string(seed) + ".pdf");
        const TRun run
            = Cli("letters " + Quoted(document) + " --pdf " + Quoted(pdf) + " --test --seed " + std::to_string(seed));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("entry " + std::to_string(index + 1) + " (" + givers[index] + ")"), std::string::npos)
            << run.out;
        ASSERT_EQ(PdfPageCount(pdf), 1);
        EXPECT_NE(Squeezed(PdfText(pdf)).find(std::string("Dear ") + givers[index]), std::string::npos) << seed;
    }
}

TEST_F(PrintCommands, ListShowsTitleAndOneRowPerParticipantInListBoxOrder)
{
    const std::string document = WriteEvening();
    const std::string pdf = PathOf("list.pdf");
    const TRun run = Cli("list " + Quoted(document) + " --pdf " + Quoted(pdf));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(PdfPageCount(pdf), 1);

    const std::string text = Squeezed(PdfText(pdf));
    EXPECT_NE(text.find("Test Print of Allocations For Kris Kringle"), std::string::npos) << text;
    // By display text: "1 ZOË WEST", "2 ANN SMITH", "2 CY OH", "3 BOB LEE".
    const std::string rows[] = { "ZOË WEST >> ANN SMITH ALPHA >> BETA", "ANN SMITH >> BOB LEE BETA >> GAMMA",
        "CY OH >> ZOË WEST BETA >> ALPHA", "BOB LEE >> CY OH GAMMA >> BETA" };
    std::size_t previous = text.find("Kringle");
    for (const std::string& row : rows) {
        const std::size_t at = text.find(row);
        ASSERT_NE(at, std::string::npos) << row << " in:\n" << text;
        EXPECT_GT(at, previous) << row;
        previous = at;
    }
}

TEST_F(PrintCommands, FewerThanTwoParticipantsPrintNothingAndSaySo)
{
    const std::string document = WriteEvening(1);
    for (const std::string command : { "letters", "list" }) {
        const std::string pdf = PathOf(command + ".pdf");
        const TRun run = Cli(command + " " + Quoted(document) + " --pdf " + Quoted(pdf));
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("fewer than two participants"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(pdf)) << command;
    }
}

TEST_F(PrintCommands, WrongCommandLinesAreUsageErrors)
{
    const std::string document = WriteEvening();
    const std::string pdf = Quoted(PathOf("x.pdf"));
    const std::string letters = "letters " + Quoted(document);
    const std::string cases[] = {
        letters, // no --pdf
        letters + " --pdf " + pdf + " --seed 3", // --seed without --test
        letters + " --pdf " + pdf + " --test --seed -1", letters + " --pdf " + pdf + " --test --seed 4294967296",
        "letters --pdf " + pdf, // no document
        "list " + Quoted(document) + " --pdf " + pdf + " --test",
        "list " + Quoted(document) + " --pdf " + Quoted(folder + "/./evening.kks"), // the document itself
    };
    for (const std::string& arguments : cases) {
        const TRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << arguments;
    }
    EXPECT_FALSE(fs::exists(PathOf("x.pdf")));
    EXPECT_EQ(Cli("show " + Quoted(document)).exitCode, 0) << "the document is untouched";
}

TEST_F(PrintCommands, UnreadableDocumentOrPdfFolderFails)
{
    const std::string pdf = PathOf("x.pdf");
    std::ofstream(PathOf("broken.kks")) << "not a document";
    const TRun broken = Cli("letters " + Quoted(PathOf("broken.kks")) + " --pdf " + Quoted(pdf));
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_FALSE(fs::exists(pdf));

    const std::string document = WriteEvening();
    const std::string nowhere = PathOf("no/such/folder/x.pdf");
    const TRun run = Cli("list " + Quoted(document) + " --pdf " + Quoted(nowhere));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(nowhere), std::string::npos) << run.err;
}

} // namespace
