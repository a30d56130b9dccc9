// The print commands of tinselwick-cli, end to end: a small document on disk, the
// built tool run without a display, and the PDF read back with poppler's tools.

#include "draw/Random.h"
#include "persist/PersistTestSupport.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"
#include "support/CliRunner.h"

#include "Version.h"

#include "Participants.h"
#include "PdfTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace testsupport;

namespace {

namespace fs = std::filesystem;

/// Collapses every run of blanks to one, so that columns compare as words.
std::string Squeezed(const std::string& text)
{
    return std::regex_replace(text, std::regex("[ \t]+"), " ");
}

class PrintCommands : public TPdfTest {
protected:
    /// Groups ALPHA, BETA, GAMMA; entered as ZOË WEST (1), ANN SMITH (2), BOB LEE (3),
    /// CY OH (2), each giving to the next one entered, the last to the first.
    std::string WriteEvening(int people = 4)
    {
        TStringList groups;
        for (const char* name : { "ALPHA", "BETA", "GAMMA" })
            groups.Add(name);
        const std::vector<TPerson> everyone { { "ZO\xCB", "WEST", 0 }, { "ANN", "SMITH", 1 }, { "BOB", "LEE", 2 },
            { "CY", "OH", 1 } };
        auto participants = MakeParticipants({ everyone.begin(), everyone.begin() + people });
        if (people > 1)
            AssignInCircle(*participants);
        const std::string path = PathOf("evening.kks");
        WriteKksDocument(
            path, groups, *participants, { "Dear [M]", "You have been assigned [G] in the Kris Kringle. " });
        return path;
    }

    /// Runs the tool with no display at all, as on a server.
    TCliRun Cli(const std::vector<std::string>& arguments) const
    {
        return RunCli(arguments, dir.Path().string(),
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR=" + ShellQuoted(dir.Path().string()));
    }
};

TEST_F(PrintCommands, LettersOnePagePerGiverInDocumentOrder)
{
    const std::string document = WriteEvening();
    const std::string pdf = PathOf("letters.pdf");
    const TCliRun run = Cli({ "letters", document, "--pdf", pdf });
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
        const TCliRun run = Cli({ "letters", document, "--pdf", pdf, "--test", "--seed", std::to_string(seed) });
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
    const TCliRun run = Cli({ "list", document, "--pdf", pdf });
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
        const TCliRun run = Cli({ command, document, "--pdf", pdf });
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("fewer than two participants"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(pdf)) << command;
    }
}

TEST_F(PrintCommands, UnreadableDocumentOrPdfFolderFails)
{
    const std::string pdf = PathOf("x.pdf");
    WriteFileBytes(PathOf("broken.kks"), { 'n', 'o', 't', ' ', 'o', 'u', 'r', 's' });
    const TCliRun broken = Cli({ "letters", PathOf("broken.kks"), "--pdf", pdf });
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_FALSE(fs::exists(pdf));

    const std::string document = WriteEvening();
    const std::string nowhere = PathOf("no/such/folder/x.pdf");
    const TCliRun run = Cli({ "list", document, "--pdf", nowhere });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(nowhere), std::string::npos) << run.err;
}

/// The file names in a folder, sorted.
std::vector<std::string> Listed(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PrintCommands, PdfDirWritesEachGiversPageUnderTheirNameAndNeverHalfARun)
{
    // Names that meet once "/" and control characters are replaced, namesakes apart from
    // letter case, and ANN SMITH (entry 4) without a taker, who still counts for numbering.
    TStringList groups;
    groups.Add("A");
    groups.Add("B");
    auto people = MakeParticipants({ { "ZO\xCB", "WEST", 0 }, { "A/B", "C\x01", 1 }, { "A_B", "C_", 0 },
        { "ANN", "SMITH", 1 }, { "ann", "smith", 0 } });
    for (int giver : { 0, 2, 4 })
        UserAt(*people, giver)->SetTaker(UserAt(*people, 1));
    UserAt(*people, 1)->SetTaker(UserAt(*people, 0));
    const std::string document = PathOf("namesakes.kks");
    WriteKksDocument(document, groups, *people, { "Dear [M]", "You give to [G]" });
    ASSERT_EQ(Cli({ "letters", document, "--pdf", PathOf("all.pdf") }).exitCode, 0);
    const std::vector<std::string> names { "ZOË WEST.pdf", "A_B C_.pdf", "A_B C_ (2).pdf", "", "ann smith (2).pdf" };
    const std::vector<std::string> written { "A_B C_ (2).pdf", "A_B C_.pdf", "ZOË WEST.pdf", "ann smith (2).pdf" };

    const fs::path folder = dir.Path() / "letters";
    TCliRun run = Cli({ "letters", document, "--pdf-dir", folder.string() });
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("\n  ANN SMITH\n"), std::string::npos) << run.err;
    ASSERT_EQ(Listed(folder), written);
    for (std::size_t entry = 0; entry < names.size(); ++entry) {
        if (names[entry].empty())
            continue;
        EXPECT_EQ(PdfText((folder / names[entry]).string()), PdfText(PathOf("all.pdf"), int(entry) + 1));
    }

    // Seed 7 draws entry 2: its file alone, and in the full folder a refusal naming it.
    ASSERT_EQ(TRandomSource(7).Next(5), 1u);
    const fs::path one = dir.Path() / "one";
    run = Cli({ "letters", document, "--pdf-dir", one.string(), "--test", "--seed", "7" });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Listed(one), std::vector<std::string> { names[1] });
    run = Cli({ "letters", document, "--pdf-dir", folder.string(), "--test", "--seed", "7" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("exist already"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(names[1]), std::string::npos) << run.err;
    run = Cli({ "letters", document, "--pdf-dir", folder.string() });
    EXPECT_NE(run.err.find("\n  " + (folder / names[0]).string() + "\n"), std::string::npos) << run.err;
    EXPECT_EQ(Cli({ "letters", document, "--pdf-dir", folder.string(), "--force" }).exitCode, 3);
    EXPECT_EQ(Listed(folder), written);

    // A folder in the way of the last file fails the run: the earlier letters stay as they
    // were, and no staged file is left.
    const fs::path blocked = dir.Path() / "blocked";
    fs::copy(folder, blocked);
    fs::remove(blocked / names[0]);
    fs::create_directories(blocked / names[0]);
    run = Cli({ "letters", document, "--pdf-dir", blocked.string(), "--force" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find((blocked / names[0]).string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("it is a folder. The earlier letters are unchanged.\n"), std::string::npos) << run.err;
    EXPECT_EQ(Listed(blocked), written);
    for (const std::string& name : { names[1], names[2], names[4] })
        EXPECT_EQ(ReadFileBytes((blocked / name).string()), ReadFileBytes((folder / name).string())) << name;
}

// What a failed print says, and what it leaves: the earlier files as they were, and on
// standard error nothing of the toolkit's own.
TEST_F(PrintCommands, AFailedPrintSaysWhyAndLeavesTheEarlierFilesAsTheyWere)
{
    const std::string document = WriteEvening();
    const fs::path folder = dir.Path() / "letters";
    const std::string list = PathOf("list.pdf");
    ASSERT_EQ(Cli({ "letters", document, "--pdf-dir", folder.string() }).exitCode, 0);
    ASSERT_EQ(Cli({ "list", document, "--pdf", list }).exitCode, 0);
    const Bytes earlier = ReadFileBytes((folder / "CY OH.pdf").string()), earlierList = ReadFileBytes(list);
    fs::create_directories(dir.Path() / "locked");
    fs::permissions(dir.Path() / "locked", fs::perms::none);
    const std::string env = "env -u DISPLAY -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM";
    const std::string full = "ulimit -f 2; " + env; // 1 KB: less than any PDF
    // As root, permission bits bind only without the override.
    const std::string locked = (::geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search " : "") + env;
    const std::string tiny = "unshare --mount sh -c 'mount -t tmpfs -o size=4k tmpfs \"$0\" && exec \"$@\"' "
        + ShellQuoted(PathOf("tiny")) + " " + env;
    fs::create_directories(dir.Path() / "tiny");
    const bool tinyDisk = std::system("unshare --mount true 2>/dev/null") == 0;
    const struct {
        std::string prefix;
        std::vector<std::string> arguments;
        std::string err; // in standard error
    } cases[] = {
        { full, { "letters", document, "--pdf-dir", folder.string(), "--force" },
            "File too large. The earlier letters are unchanged.\n" },
        { full, { "list", document, "--pdf", list, "--force" }, "File too large. The earlier file is unchanged.\n" },
        { tinyDisk ? tiny : full, { "list", document, "--pdf", PathOf("tiny/list.pdf") },
            tinyDisk ? "No space left on device.\n" : "File too large.\n" },
        { locked, { "letters", document, "--pdf-dir", PathOf("locked/letters") }, ": Permission denied\n" },
        { env, { "letters", document, "--pdf-dir", PathOf(std::string(300, 'x')) }, ": File name too long\n" },
        { env, { "list", document, "--pdf", PathOf("quiet.pdf") }, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix + " " + c.arguments.back());
        const TCliRun run = RunCli(c.arguments, dir.Path().string(), c.prefix);
        EXPECT_EQ(run.exitCode, c.err.empty() ? 0 : 1) << run.err;
        EXPECT_TRUE(c.err.empty() ? run.err.empty() : run.err.ends_with(c.err)) << run.err;
        EXPECT_EQ(ReadFileBytes((folder / "CY OH.pdf").string()), earlier);
        EXPECT_EQ(ReadFileBytes(list), earlierList);
    }
    fs::permissions(dir.Path() / "locked", fs::perms::owner_all);
}

TEST_F(PrintCommands, PdfFilesAreTitledForTheirOneGiverAloneWithTheProgramAsCreator)
{
    const std::string document = WriteEvening();
    const char* givers[] = { "ZOË WEST", "ANN SMITH", "BOB LEE", "CY OH" };
    ASSERT_EQ(0, Cli({ "letters", document, "--pdf", PathOf("test.pdf"), "--test", "--seed", "1" }).exitCode);
    ASSERT_EQ(0, Cli({ "letters", document, "--pdf-dir", PathOf("each") }).exitCode);
    const std::pair<std::string, std::string> titles[]
        = { { PathOf("test.pdf"), std::string("Kris Kringle letter for ") + givers[TRandomSource(1).Next(4)] },
              { PathOf("each/ANN SMITH.pdf"), "Kris Kringle letter for ANN SMITH" } };
    for (const auto& [file, title] : titles) {
        EXPECT_EQ(title, PdfInfoField(file, "Title"));
        EXPECT_EQ(std::string("Tinselwick ") + kTinselwickVersion, PdfInfoField(file, "Creator")) << file;
    }
    // ANN SMITH gives to BOB LEE: her file's metadata, the XMP packet too, never says so.
    const std::string file = Quoted(PathOf("each/ANN SMITH.pdf"));
    EXPECT_EQ(std::string::npos, CommandOutput("pdfinfo " + file + "; pdfinfo -meta " + file).find("BOB"));
}

} // namespace
