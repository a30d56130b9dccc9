// tinselwick-cli draw as a user runs it: the built program on real files.

#include "DrawTestSupport.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

using namespace testsupport;
using draw_testing::TakerIndices;

namespace {

class DrawCommand : public TRegisterTest {
protected:
    TCliRun Run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "draw");
        return RunCli(arguments, dir.Path().string());
    }

    /// Saves `r` as `name` in the folder and gives its path.
    std::string Save(const std::string& name, const TRegister& r)
    {
        const std::string path = dir / name;
        WriteKksDocument(path, r.groups, r.participants, r.templateLines);
        return path;
    }

    /// Saves a document of the given groups (GroupNo per participant), named A0, A1, ...
    std::string Save(const std::string& name, const std::vector<std::int32_t>& groups)
    {
        TRegister r;
        for (const char* group : { "HOME", "AWAY", "THIRD" })
            r.groups.Add(group);
        for (std::size_t i = 0; i < groups.size(); ++i)
            r.Add("A" + std::to_string(i), "LAST", groups[i]);
        r.templateLines = { "Dear [M],", "you give to [G]." };
        return Save(name, r);
    }

    static TKksDocument Read(const std::string& path) { return ReadKksDocument(path, nullptr); }
    static void WriteText(const std::string& path, const std::string& text)
    {
        WriteFileBytes(path, Bytes(text.begin(), text.end()));
    }

    /// The draw tinselwick-cli should have made: the same seed in this process.
    static std::vector<int> DrawnHere(const std::string& path, std::uint32_t seed, TDrawOutcome outcome)
    {
        TKksDocument mine = Read(path);
        TRandomSource random(seed);
        EXPECT_EQ(outcome, DrawAssignments(mine.Participants.get(), random));
        return TakerIndices(*mine.Participants);
    }

    TTempDir dir;
};

TEST_F(DrawCommand, WorkedExampleIsSavedWithTheWholeDocument)
{
    TRegister expected;
    expected.groups.Add("HOME");
    expected.groups.Add("AWAY");
    TCCUser* ann = expected.Add("ANN", "SMITH", 0);
    TCCUser* bob = expected.Add("BOB", "JONES", 0);
    TCCUser* cat = expected.Add("CAT", "BROWN", 1);
    TCCUser* dan = expected.Add("DAN", "GREEN", 1);
    expected.templateLines = { "Dear [M],", "", "you give to [G]." };
    const std::string in = Save("in.kks", expected);
    const Bytes original = ReadFileBytes(in);

    const TCliRun run = Run({ in, "--seed", "12345", "--output", dir / "out.kks" });
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);

    ann->SetTaker(dan);
    bob->SetTaker(cat);
    cat->SetTaker(ann);
    dan->SetTaker(bob);
    TMemoryStream golden;
    WriteKksDocument(golden, "golden", expected.groups, expected.participants, expected.templateLines);
    EXPECT_EQ(golden.Bytes(), ReadFileBytes(dir / "out.kks"));
    EXPECT_EQ(original, ReadFileBytes(in));
}

TEST_F(DrawCommand, WithoutOptionsAClockSeededDrawUpdatesTheDocumentItself)
{
    const std::string path = Save("doc.kks", { 0, 1, 2, 0, 1, 2, 0, 1 });
    ASSERT_EQ(0, Run({ path }).exitCode);
    const TKksDocument document = Read(path);
    EXPECT_TRUE(draw_testing::CheckLinks(*document.Participants));
    EXPECT_EQ((std::vector<std::string> { "Dear [M],", "you give to [G]." }), document.TemplateLines);
    EXPECT_EQ(3, document.GroupNames->Count());
}

TEST_F(DrawCommand, TheSeedIsTheStartingStateOfTheRandomSource)
{
    const std::string path = Save("doc.kks", { 0, 0, 1, 1, 2, 2, 0, 1, 2, 2, 1 });
    for (const char* seed : { "0", "12345", "4294967295" }) {
        ASSERT_EQ(0, Run({ path, "--seed", seed, "--output", dir / "out.kks", "--force" }).exitCode);
        EXPECT_EQ(DrawnHere(path, static_cast<std::uint32_t>(std::stoull(seed)), TDrawOutcome::Complete),
            TakerIndices(*Read(dir / "out.kks").Participants))
            << seed;
    }
}

TEST_F(DrawCommand, NoSolutionSavesThePartialAssignmentAndExitsWithThree)
{
    const std::string path = Save("doc.kks", { 0, 0, 0, 1, 2 });
    const TCliRun run = Run({ path, "--seed", "99", "--output", dir / "out.kks" });
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(std::string(kDrawFailedMessage) + "\n", run.err);
    const auto takers = TakerIndices(*Read(dir / "out.kks").Participants);
    EXPECT_EQ(DrawnHere(path, 99, TDrawOutcome::Failed), takers);
    EXPECT_NE(takers.end(), std::find(takers.begin(), takers.end(), -1));
}

TEST_F(DrawCommand, FewerThanTwoParticipantsAreSavedUnassigned)
{
    // One participant who, in a hand-edited file, gives to himself.
    TRegister r;
    r.groups.Add("ONLY");
    TCCUser* lone = r.Add("LONE", "WOLF", 0);
    lone->SetTaker(lone);
    r.templateLines = { "Hi" };
    ASSERT_EQ(0, Run({ Save("one.kks", r), "--seed", "1", "--output", dir / "one-out.kks" }).exitCode);
    EXPECT_EQ(std::vector<int> { -1 }, TakerIndices(*Read(dir / "one-out.kks").Participants));

    // Groups but no participants: nothing to draw, the document goes through unchanged.
    TRegister empty;
    empty.groups.Add("HOME");
    empty.templateLines = { "Hi" };
    const std::string none = Save("none.kks", empty);
    ASSERT_EQ(0, Run({ none, "--output", dir / "none-out.kks" }).exitCode);
    EXPECT_EQ(ReadFileBytes(none), ReadFileBytes(dir / "none-out.kks"));
    EXPECT_EQ(0, Run({ none }).exitCode);
}

TEST_F(DrawCommand, AFailedSaveLeavesTheDocumentAsItWas)
{
    const std::string path = Save("doc.kks", { 0, 1, 0, 1 });
    const Bytes original = ReadFileBytes(path);
    const TCliRun missingFolder = Run({ path, "--seed", "1", "--output", dir / "no-such-folder/out.kks" });
    // Another program has the document open: the save back onto it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::flock(fd, LOCK_SH));
    const TCliRun locked = Run({ path, "--seed", "1" });
    ::close(fd);
    for (const TCliRun& run : { missingFolder, locked }) {
        EXPECT_EQ(1, run.exitCode);
        EXPECT_NE("", run.err);
    }
    EXPECT_EQ(original, ReadFileBytes(path));
}

TEST_F(DrawCommand, RulesAreKeptAndADrawWithRulesThatFailsSavesNothing)
{
    const std::string path = Save("doc.kks", { 0, 1, 2, 0, 1, 2, 0, 1 });
    const std::string last = dir / "last.kks";
    ASSERT_EQ(0, Run({ path, "--seed", "5", "--output", last }).exitCode);
    const std::string pairs = dir / "pairs.csv";
    WriteText(pairs, "giver,taker\na0 last,A1 LAST\n");
    const std::string out = dir / "out.kks";
    const TCliRun run
        = Run({ path, "--avoid", last, "--exclude", pairs, "--one-circle", "--seed", "9", "--output", out });
    ASSERT_EQ(0, run.exitCode) << run.err;
    const std::vector<int> lastYear = TakerIndices(*Read(last).Participants);
    const std::vector<int> takers = TakerIndices(*Read(out).Participants);
    EXPECT_TRUE(draw_testing::CheckLinks(*Read(out).Participants));
    EXPECT_NE(1, takers[0]);
    int length = 1;
    for (int p = takers[0]; p != 0; p = takers[static_cast<std::size_t>(p)])
        ++length;
    EXPECT_EQ(8, length);
    for (std::size_t i = 0; i < takers.size(); ++i)
        EXPECT_NE(lastYear[i], takers[i]) << i;

    // Everybody of another group excluded for A0: exit 3, the reason, and no file touched.
    std::string text = "giver,taker\n";
    for (const char* taker : { "A1", "A2", "A4", "A5", "A7" })
        text += std::string("A0 LAST,") + taker + " LAST\n";
    WriteText(pairs, text);
    const Bytes original = ReadFileBytes(path);
    const TCliRun failed = Run({ path, "--exclude", pairs, "--output", dir / "none.kks" });
    EXPECT_EQ(3, failed.exitCode);
    EXPECT_EQ("No assignment keeps every rule: A0 LAST can give to nobody: everyone else is in the same group or "
              "excluded\n",
        failed.err);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.kks"));
    EXPECT_EQ(3, Run({ path, "--exclude", pairs }).exitCode);
    EXPECT_EQ(original, ReadFileBytes(path));

    WriteText(pairs, "giver,taker\nZED,A1 LAST\n");
    const TCliRun unknown = Run({ path, "--exclude", pairs });
    EXPECT_EQ(1, unknown.exitCode);
    EXPECT_EQ(pairs + ":2: nobody is called \"ZED\"\n", unknown.err);
    EXPECT_EQ(original, ReadFileBytes(path));
}

} // namespace
