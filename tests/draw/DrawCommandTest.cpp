// tinselwick-cli draw as a user runs it: the built program on real files.

#include "DrawTestSupport.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

using namespace testsupport;

namespace {

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

/// Who gives to whom in a document, by key; "-" for nobody.
std::vector<std::string> Takers(const TStringList& participants)
{
    std::vector<std::string> takers;
    for (int i = 0; i < participants.Count(); ++i) {
        const TCCUser* user = UserAt(participants, i);
        takers.push_back(user->Taker != nullptr ? user->Taker->FullName() : "-");
    }
    return takers;
}

class DrawCommand : public TRegisterTest {
protected:
    TRun Run(const std::vector<std::string>& arguments)
    {
        std::string command = Quote(TINSELWICK_CLI) + " draw";
        for (const std::string& a : arguments)
            command += " " + Quote(a);
        command += " >" + Quote(dir / "stdout") + " 2>" + Quote(dir / "stderr");
        const int status = std::system(command.c_str());
        TRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const Bytes out = ReadFileBytes(dir / "stdout");
        const Bytes err = ReadFileBytes(dir / "stderr");
        run.out.assign(out.begin(), out.end());
        run.err.assign(err.begin(), err.end());
        return run;
    }

    /// Saves a document of the given groups (GroupNo per participant), named A0, A1, ...
    std::string Save(const std::string& name, const std::vector<std::int32_t>& groups)
    {
        TRegister r;
        r.groups.Add("HOME");
        r.groups.Add("AWAY");
        r.groups.Add("THIRD");
        for (std::size_t i = 0; i < groups.size(); ++i)
            r.Add("A" + std::to_string(i), "LAST", groups[i]);
        r.templateLines = { "Dear [M],", "you give to [G]." };
        const std::string path = dir / name;
        WriteKksDocument(path, r.groups, r.participants, r.templateLines);
        return path;
    }

    TKksDocument Read(const std::string& path) { return ReadKksDocument(path, nullptr); }

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
    const std::string in = dir / "in.kks";
    WriteKksDocument(in, expected.groups, expected.participants, expected.templateLines);
    const Bytes original = ReadFileBytes(in);

    const TRun run = Run({ in, "--seed", "12345", "--output", dir / "out.kks" });
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
        ASSERT_EQ(0, Run({ path, "--seed", seed, "--output", dir / "out.kks" }).exitCode);
        // The same draw in this process, on the participants in document order.
        TKksDocument mine = Read(path);
        TRandomSource random(static_cast<std::uint32_t>(std::stoull(seed)));
        ASSERT_EQ(TDrawOutcome::Complete, DrawAssignments(mine.Participants.get(), random));
        EXPECT_EQ(Takers(*mine.Participants), Takers(*Read(dir / "out.kks").Participants)) << seed;
    }
}

TEST_F(DrawCommand, NoSolutionSavesThePartialAssignmentAndExitsWithThree)
{
    const std::string path = Save("doc.kks", { 0, 0, 0, 1, 2 });
    const TRun run = Run({ path, "--seed", "99", "--output", dir / "out.kks" });
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(std::string(kDrawFailedMessage) + "\n", run.err);

    TKksDocument mine = Read(path);
    TRandomSource random(99);
    ASSERT_EQ(TDrawOutcome::Failed, DrawAssignments(mine.Participants.get(), random));
    const auto takers = Takers(*Read(dir / "out.kks").Participants);
    EXPECT_EQ(Takers(*mine.Participants), takers);
    EXPECT_NE(takers.end(), std::find(takers.begin(), takers.end(), "-"));
}

TEST_F(DrawCommand, FewerThanTwoParticipantsAreSavedUnassigned)
{
    // One participant who, in a hand-edited file, gives to himself.
    TRegister r;
    r.groups.Add("ONLY");
    TCCUser* lone = r.Add("LONE", "WOLF", 0);
    lone->SetTaker(lone);
    r.templateLines = { "Hi" };
    const std::string one = dir / "one.kks";
    WriteKksDocument(one, r.groups, r.participants, r.templateLines);
    ASSERT_EQ(0, Run({ one, "--seed", "1", "--output", dir / "one-out.kks" }).exitCode);
    EXPECT_EQ((std::vector<std::string> { "-" }), Takers(*Read(dir / "one-out.kks").Participants));

    // Groups but no participants: nothing to draw, the document goes through unchanged.
    TRegister empty;
    empty.groups.Add("HOME");
    empty.templateLines = { "Hi" };
    const std::string none = dir / "none.kks";
    WriteKksDocument(none, empty.groups, empty.participants, empty.templateLines);
    ASSERT_EQ(0, Run({ none, "--output", dir / "none-out.kks" }).exitCode);
    EXPECT_EQ(ReadFileBytes(none), ReadFileBytes(dir / "none-out.kks"));
    EXPECT_EQ(0, Run({ none }).exitCode);
}

TEST_F(DrawCommand, AFailedSaveLeavesTheDocumentAsItWas)
{
    const std::string path = Save("doc.kks", { 0, 1, 0, 1 });
    const Bytes original = ReadFileBytes(path);

    const TRun missingFolder = Run({ path, "--seed", "1", "--output", dir / "no-such-folder/out.kks" });
    EXPECT_EQ(1, missingFolder.exitCode);
    EXPECT_NE("", missingFolder.err);
    EXPECT_EQ(original, ReadFileBytes(path));

    // Another program has the document open: the save back onto it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::flock(fd, LOCK_SH));
    const TRun locked = Run({ path, "--seed", "1" });
    ::close(fd);
    EXPECT_EQ(1, locked.exitCode);
    EXPECT_NE("", locked.err);
    EXPECT_EQ(original, ReadFileBytes(path));
}

TEST_F(DrawCommand, AWrongCommandLineIsRefusedWithStatusTwoBeforeTheDocumentIsTouched)
{
    const std::string path = Save("doc.kks", { 0, 1 });
    const Bytes original = ReadFileBytes(path);
    const std::vector<std::vector<std::string>> wrong = {
        { path, "--seed", "-1" },
        { path, "--seed", "4294967296" },
        { path, "--seed", "12a" },
        { path, "--seed", "+5" },
        { path, "--seed" },
        { "--seed", "1" },
        { path, path },
        { path, "--fast" },
    };
    for (const auto& arguments : wrong) {
        const TRun run = Run(arguments);
        EXPECT_EQ(2, run.exitCode) << arguments.back();
        EXPECT_NE(std::string::npos, run.err.find("tinselwick-cli draw")) << arguments.back();
        EXPECT_EQ(original, ReadFileBytes(path));
    }
}

} // namespace
