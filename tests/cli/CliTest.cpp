// tinselwick-cli as a user runs it: the built program, real files, exit codes.

#include "register/CCObjectFile.h"
#include "register/KksDocument.h"
#include "register/RegisterTestSupport.h"
#include "support/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>

using namespace testsupport;

namespace {

class Cli : public TRegisterTest {
protected:
    TCliRun Run(const std::vector<std::string>& arguments) { return RunCli(arguments, dir.Path().string()); }
    TTempDir dir;
};

void WriteText(const std::string& path, const std::string& text)
{
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

TEST_F(Cli, ShowPrintsTheDocumentReadably)
{
    const TCliRun run = Run({ "show", TestDataPath("two-participants-exchange.kks") });
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("Groups: 2\n"
              "  1  X\n"
              "  2  Y\n"
              "Participants: 2\n"
              "  ANN LEE  (group 1 X)  gives to  BOB KAY\n"
              "  BOB KAY  (group 2 Y)  gives to  ANN LEE\n"
              "Template: 1 line\n"
              "  Dear [M]\n",
        run.out);
}

TEST_F(Cli, ShowJsonIsOneObjectInDocumentOrderInUtf8)
{
    TRegister r;
    r.groups.Add("CAF\xC9"); // CAFÉ in Windows-1252
    r.Add("JOS\xC9", "X", 0); // JOSÉ, no taker
    r.Add("ZED", "Y", 0)->SetTaker(UserAt(r.participants, 0));
    r.templateLines = { "\x80 5 for [G]" }; // the euro sign
    r.participants.SetString(0, "jos\xC9x"); // a hand-made key: ZED's stored taker finds it regardless of case
    const std::string path = dir / "cafe.kks";
    WriteKksDocument(path, r.groups, r.participants, r.templateLines);

    const TCliRun run = Run({ "show", "--json", path });
    ASSERT_EQ(0, run.exitCode) << run.err;
    QJsonParseError error {};
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(QJsonParseError::NoError, error.error) << run.out;
    const QJsonObject root = json.object();
    EXPECT_EQ(QStringList { "CAFÉ" }, root["groups"].toVariant().toStringList());
    const QJsonArray participants = root["participants"].toArray();
    ASSERT_EQ(2, participants.size());
    const QJsonObject jose = participants[0].toObject();
    EXPECT_EQ("josÉx", jose["key"].toString());
    EXPECT_EQ("JOSÉ", jose["first"].toString());
    EXPECT_EQ("X", jose["last"].toString());
    EXPECT_EQ(0, jose["group"].toInt(-7));
    EXPECT_TRUE(jose["taker"].isNull());
    EXPECT_EQ("josÉx", participants[1].toObject()["taker"].toString()) << "the taker's key, not its names";
    EXPECT_EQ(QStringList { "€ 5 for [G]" }, root["template"].toVariant().toStringList());
}

TEST_F(Cli, ErrorsGoToStandardErrorWithTheirExitCode)
{
    const std::string missing = dir / "missing.kks";
    const std::string notOurs = dir / "notes.kks";
    WriteFileBytes(notOurs, { 'h', 'e', 'l', 'l', 'o', '!', '!', '!' });
    const std::string incomplete = dir / "empty.kks";
    WriteKksDocument(incomplete, TStringList(), TStringList(), {});
    const std::string golden = TestDataPath("two-participants-exchange.kks");
    const std::string pipe = dir / "x.kks"; // read or written, it would wait for a writer or a reader
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    TRegister ghost; // a key from the document, and a file name of the file system's, both in the messages
    ghost.groups.Add("X");
    ghost.participants.Add("GH\xD4ST");
    WriteKksDocument(dir / "ghost.kks", ghost.groups, ghost.participants, {});
    const std::string cafe = dir / "caf\xC3\xA9.kks";

    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err; // the whole of standard error
    };
    const Case cases[] = {
        { { "show", missing }, 1,
            "File Open Failed::Cannot open the file: No such file or directory::" + missing + "\n" },
        { { "show", notOurs }, 1, "File Open Failed::File is Not of Acceptable Type::" + notOurs + "\n" },
        { { "show", "--json", incomplete }, 1, "File " + incomplete + " incomplete\n" },
        { { "show", pipe }, 1, "File Open Failed::Cannot open the file: it is a named pipe::" + pipe + "\n" },
        { { "draw", golden, "--output", pipe, "--force" }, 1,
            "File Open Failed::Cannot open the file: it is a named pipe::" + pipe + "\n" },
        { { "import", dir / "missing.csv", "--output", dir / "new.kks" }, 1,
            "Cannot read " + dir / "missing.csv" + ": Cannot open the file: No such file or directory\n" },
        { { "show", dir / "ghost.kks" }, 1, "Damaged file: participant 1 (GH\xC3\x94ST) has no participant record\n" },
        { { "show", cafe }, 1, "File Open Failed::Cannot open the file: No such file or directory::" + cafe + "\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.back());
        const TCliRun run = Run(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ(c.err, run.err);
        EXPECT_EQ("", run.out);
    }
}

// Every command's refusals of its command line, in one place: status 2, the reason on
// standard error, and no file read or written.
TEST_F(Cli, WrongCommandLinesAreRefusedWithStatusTwoBeforeAnyFileIsTouched)
{
    const std::string doc = dir / "doc.kks";
    WriteFileBytes(doc, ReadFileBytes(TestDataPath("two-participants-exchange.kks")));
    const std::string pdf = dir / "x.pdf";
    const std::string csv = dir / "people.csv";
    const auto mail = [&](std::vector<std::string> more) {
        more.insert(more.begin(),
            { "mail", doc, "--addresses", csv, "--server", "smtp://localhost", "--from", "a@example.org" });
        return more;
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        { {}, "Usage: tinselwick-cli COMMAND" },
        { { "shout", doc }, "tinselwick-cli: unknown command 'shout'" },
        { { "show" }, "tinselwick-cli show: Expected one document file\n" },
        { { "show", doc, doc }, "tinselwick-cli show: Expected one document file, and nothing more\n" },
        { { "show", "--xml", doc }, "tinselwick-cli show: Unknown option 'xml'.\n" },
        { { "draw", doc, "--seed", "-1" }, "tinselwick-cli draw: Invalid seed '-1'" },
        { { "draw", doc, "--seed", "4294967296" }, "tinselwick-cli draw: Invalid seed '4294967296'" },
        { { "draw", doc, "--seed", "12a" }, "tinselwick-cli draw: Invalid seed '12a'" },
        { { "draw", doc, "--seed", "+5" },
            "tinselwick-cli draw: Invalid seed '+5': a whole number from 0 to 4294967295\n" },
        { { "draw", doc, "--seed", " 5" }, "tinselwick-cli draw: Invalid seed ' 5'" },
        { { "draw", doc, "--seed" }, "tinselwick-cli draw: Missing value after '--seed'.\n" },
        { { "draw", "--seed", "1" }, "tinselwick-cli draw: Expected one document file\n" },
        { { "draw", doc, "--fast" }, "tinselwick-cli draw: Unknown option 'fast'.\n" },
        { { "letters", doc }, "tinselwick-cli letters: Name the PDF file to write with --pdf OUT\n" },
        { { "letters", doc, "--pdf", pdf, "--seed", "3" }, "tinselwick-cli letters: --seed goes with --test only\n" },
        { { "letters", doc, "--pdf", pdf, "--test", "--seed", "+5" }, "tinselwick-cli letters: Invalid seed '+5'" },
        { { "letters", doc, "--pdf", pdf, "--test", "--seed", "4294967296" },
            "tinselwick-cli letters: Invalid seed '4294967296'" },
        { { "letters", "--pdf", pdf }, "tinselwick-cli letters: Expected one document file\n" },
        { { "list", doc, "--pdf", pdf, "--test" }, "tinselwick-cli list: Unknown option 'test'.\n" },
        { { "letters", doc, "--pdf", pdf, "--pdf-dir", dir / "d" },
            "tinselwick-cli letters: Write either one PDF file (--pdf) or a folder of them (--pdf-dir)\n" },
        { { "import", doc }, "tinselwick-cli import: --output OUT is required: the document to write\n" },
        { { "import", doc, "--output" }, "tinselwick-cli import: Missing value after '--output'.\n" },
        { { "export", doc }, "tinselwick-cli export: --csv OUT.csv is required (- for standard output)\n" },
        { { "list", doc, "--pdf", dir / "./doc.kks" },
            "tinselwick-cli list: Not written: " + dir / "./doc.kks" + " is " + doc + ", which the command reads" },
        { { "mail", doc, "--server", "smtp://localhost", "--from", "a@example.org" },
            "tinselwick-cli mail: Name the address list with --addresses PEOPLE.csv\n" },
        { { "mail", doc, "--addresses", csv, "--from", "a@example.org" }, "tinselwick-cli mail: Name the mail server" },
        { { "mail", doc, "--addresses", csv, "--server", "smtp://ann@localhost", "--from", "a@example.org" },
            "tinselwick-cli mail: The server 'smtp://ann@localhost' names no host" },
        { { "mail", doc, "--addresses", csv, "--server", "smtps://localhost:99999", "--from", "a@example.org" },
            "tinselwick-cli mail: The server 'smtps://localhost:99999' has no valid port" },
        { mail({ "--from", "Ann <a@example.org>" }),
            "tinselwick-cli mail: The sender 'Ann <a@example.org>' is not an e-mail address" },
        { mail({ "--subject", "Hi\nBcc: all@example.org" }), "tinselwick-cli mail: The subject holds a control" },
        { mail({ "--pace", "-1" }), "tinselwick-cli mail: Invalid pace '-1'" },
        { mail({ "--per-connection", "0" }), "tinselwick-cli mail: Invalid --per-connection '0'" },
        { mail({ "--force" }), "tinselwick-cli mail: --force goes with --dry-run only\n" },
        { mail({ "--dry-run", dir / "eml", "--restart" }), "tinselwick-cli mail: A dry run writes into a folder" },
        { mail({ "--user", "ann" }), "tinselwick-cli mail: --user needs a password" },
    };
    const Bytes before = ReadFileBytes(doc);
    for (const auto& [arguments, err] : cases) {
        SCOPED_TRACE(arguments.empty() ? "(none)" : arguments.back());
        // No password in the environment and no terminal to ask on.
        const TCliRun run = RunCli(arguments, dir.Path().string(), "env -u TINSELWICK_SMTP_PASSWORD setsid -w");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.substr(0, err.size()), err);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadFileBytes(doc), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { "doc.kks" });
    EXPECT_NE(Run({ "--help" }).out.find("\n  letters FILE --pdf-dir DIR"), std::string::npos);
}

// Every command that writes a file: never one it reads, whatever name leads to it, and any
// other existing file only with --force.
TEST_F(Cli, WritingCommandsReplaceAFileOnlyWithForceAndNeverOneTheyRead)
{
    const std::string doc = dir / "doc.kks", csv = dir / "people.csv", pairs = dir / "pairs.csv", old = dir / "old";
    WriteFileBytes(doc, ReadFileBytes(TestDataPath("two-participants-exchange.kks")));
    WriteText(csv, "first,last,group\nann,lee,x\nbob,kay,y\n");
    WriteText(pairs, "giver,taker\n");
    WriteText(old, "old");
    std::filesystem::create_symlink(doc, dir / "link.kks");
    std::filesystem::create_hard_link(pairs, dir / "hard.csv");
    // Each command with what it reads, the option naming the file it writes, and one of its
    // inputs by another name.
    const std::pair<std::vector<std::string>, std::string> commands[] = {
        { { "export", doc, "--csv" }, dir / "link.kks" },
        { { "draw", doc, "--exclude", pairs, "--seed", "1", "--output" }, dir / "hard.csv" },
        { { "list", doc, "--pdf" }, doc },
        { { "letters", doc, "--pdf" }, dir / "link.kks" },
        { { "import", csv, "--output" }, csv },
    };
    const Bytes before = ReadFileBytes(doc);
    for (const auto& [command, input] : commands) {
        const std::string refused = "tinselwick-cli " + command[0] + ": Not written: ";
        const std::string exists = old + " exists already (--force replaces it)\n";
        for (const auto& [target, force, exitCode, err] : { std::tuple { input, true, 2, refused },
                 std::tuple { old, false, 1, exists }, std::tuple { old, true, 0, std::string() } }) {
            std::vector<std::string> arguments = command;
            arguments.push_back(target);
            if (force)
                arguments.push_back("--force");
            SCOPED_TRACE(command[0] + " " + target);
            const TCliRun run = Run(arguments);
            EXPECT_EQ(run.exitCode, exitCode) << run.err;
            EXPECT_EQ(run.err.substr(0, err.size()), err);
            EXPECT_EQ(ReadFileBytes(doc), before);
        }
        WriteText(old, "old");
    }
    EXPECT_EQ(ReadText(pairs), "giver,taker\n");
}

// A sparse document of 2 GB (12 KB on disk) claims a taker key of a gigabyte, which its
// holes could hold: refused before anything is allocated for it.
TEST_F(Cli, ASparseDocumentClaimingAGigabyteIsRefusedWithoutTheMemory)
{
    const std::string golden = TestDataPath("two-participants-exchange.kks"), sparse = dir / "sparse.kks";
    ASSERT_EQ(0, Run({ "show", golden }).exitCode);
    rusage children {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    const long baselineKb = children.ru_maxrss;
    Bytes bytes = ReadFileBytes(golden);
    const Bytes gigabyte { 0x00, 0xCA, 0x9A, 0x3B };
    std::copy(gigabyte.begin(), gigabyte.end(), bytes.begin() + 105); // the first taker key's length
    WriteFileBytes(sparse, bytes);
    std::filesystem::resize_file(sparse, std::uintmax_t(2) << 30);
    EXPECT_EQ(Run({ "show", sparse }).err,
        "Damaged file: a taker's key at offset 105 claims 1000000000 bytes, but holds at most 255\n");
    ::getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(children.ru_maxrss - baselineKb, 50 * 1024) << "KB more than showing a small document";
}

// Texts from files reach the terminal with their control characters escaped: a crafted
// document or list cannot colour, retitle or clear it. JSON keeps the values exact.
TEST_F(Cli, ControlCharactersFromFilesReachTheTerminalEscaped)
{
    TRegister r;
    r.groups.Add("\x1b[31mRED");
    r.Add("ANN", "LEE", 0);
    r.Add("BOB\x9D", "KAY", 0); // a byte the code page leaves unassigned: U+009D
    r.templateLines = { "Dear [M]\x07" };
    const std::string doc = dir / "crafted.kks", pairs = dir / "pairs.csv";
    WriteKksDocument(doc, r.groups, r.participants, r.templateLines);
    WriteText(pairs, "giver,taker\nANN LEE,\x1b]0;PWNED\x07\n");
    WriteText(dir / "people.csv", "first,last,group,\x1b]0;PWNED\x07\nann,lee,x,1\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        { { "show", doc }, "  1  \\x1b[31mRED\n" },
        { { "show", doc }, "  BOB\\x9d KAY  (group 1 \\x1b[31mRED)" },
        { { "show", doc }, "  Dear [M]\\x07\n" },
        { { "show", "--json", doc }, "\"BOB\\u009d\"" },
        { { "draw", doc, "--exclude", pairs }, "nobody is called \"\\x1b]0;PWNED\\x07\"" },
        { { "draw", doc, "--one-circle" }, "group \\x1b[31mRED holds" },
        { { "import", dir / "people.csv", "--output", dir / "new.kks" }, "ignored column \"\\x1b]0;PWNED\\x07\"" },
    };
    for (const auto& [arguments, shown] : cases) {
        SCOPED_TRACE(arguments[0] + " " + arguments[1]);
        const TCliRun run = Run(arguments);
        EXPECT_NE((run.out + run.err).find(shown), std::string::npos) << run.out << run.err;
        EXPECT_EQ((run.out + run.err).find_first_of("\x1b\x07"), std::string::npos);
    }
    const QJsonObject json
        = QJsonDocument::fromJson(QByteArray::fromStdString(Run({ "show", "--json", doc }).out)).object();
    EXPECT_EQ(json["groups"].toArray()[0].toString(), QString("\x1b[31mRED"));
    EXPECT_EQ(json["participants"].toArray()[1].toObject()["first"].toString(), QString("BOB") + QChar(0x9D));
}

TEST_F(Cli, ShowOnlyReadsAndCoexistsWithAnotherReader)
{
    const std::string path = dir / "draw.kks";
    WriteFileBytes(path, ReadFileBytes(TestDataPath("two-participants-exchange.kks")));
    ::chmod(path.c_str(), 0444);
    struct stat before { };
    ::stat(path.c_str(), &before);

    TCCObjectFile reader(path, fmDbRead); // someone else has it open for reading
    EXPECT_EQ(0, Run({ "show", path }).exitCode);
    EXPECT_EQ(0, Run({ "show", "--json", path }).exitCode);

    struct stat after { };
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(std::vector<std::string> { "draw.kks" }, dir.Entries()) << "no backup, no temporary file";
}

TEST_F(Cli, OnlyThePrintCommandsAndMailLoadQtsGuiAndTheMailLibraries)
{
    const std::string doc = dir / "doc.kks";
    WriteFileBytes(doc, ReadFileBytes(TestDataPath("two-participants-exchange.kks")));
    const std::string maps = dir / "maps";
    const std::string csv = dir / "people.csv";
    std::ofstream(csv) << "first,last,email\nann,lee,ann@example.org\nbob,kay,bob@example.org\n";
    const std::string probe = "env LD_PRELOAD=" + ShellQuoted(TINSELWICK_MAPS_PROBE)
        + " TINSELWICK_MAPS_OUT=" + ShellQuoted(maps) + " ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\"";
    const std::pair<std::vector<std::string>, bool> cases[] = {
        { { "show", doc }, false },
        { { "draw", doc, "--seed", "7" }, false },
        { { "list", doc, "--pdf", dir / "list.pdf" }, true },
        { { "mail", doc, "--addresses", csv, "--server", "smtp://localhost", "--from", "a@example.org", "--dry-run",
              dir / "eml" },
            true },
    };
    for (const auto& [arguments, printer] : cases) {
        SCOPED_TRACE(arguments.front());
        ASSERT_EQ(0, RunCli(arguments, dir.Path().string(), probe).exitCode);
        const std::string loaded = ReadText(maps);
        const auto has = [&](const char* library) { return loaded.find(library) != std::string::npos; };
        ASSERT_TRUE(has("/libQt6Core.so"));
        for (const char* library : { "/libQt6Gui.so", "/libQt6Widgets.so", "/libQt6PrintSupport.so", "/libcurl.so" })
            EXPECT_EQ(printer, has(library)) << library;
    }
}

TEST_F(Cli, APrintCommandWithoutItsPrinterPartSaysSo)
{
    const std::filesystem::path moved = dir / "tinselwick-cli";
    std::filesystem::copy_file(TINSELWICK_CLI, moved);
    const std::string doc = TestDataPath("two-participants-exchange.kks");
    const TCliRun run = RunCli({ "list", doc, "--pdf", dir / "list.pdf" }, dir.Path().string(), "", moved);
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("Cannot print: ")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("tinselwick-print cannot be started: No such file or directory"))
        << run.err;
}

TEST_F(Cli, CtrlCAtThePasswordPromptGivesTheTerminalItsEchoBack)
{
    WriteText(dir.Path() / "people.csv", "first,group,email\nann,a,ann@x.org\nbob,b,bob@x.org\n");
    ASSERT_EQ(0, Run({ "import", dir.Path() / "people.csv", "--output", dir.Path() / "d.kks" }).exitCode);
    ASSERT_EQ(0, Run({ "draw", dir.Path() / "d.kks" }).exitCode);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string document = dir.Path() / "d.kks";
        const std::string people = dir.Path() / "people.csv";
        ::execl(TINSELWICK_CLI, TINSELWICK_CLI, "mail", document.c_str(), "--addresses", people.c_str(), "--server",
            "smtp://127.0.0.1:1", "--from", "me@x.org", "--user", "me", nullptr);
        ::_exit(127);
    }
    std::string shown;
    for (pollfd ready { terminal, POLLIN, 0 }; shown.find("assword") == std::string::npos;) {
        ASSERT_EQ(1, ::poll(&ready, 1, 10000)) << shown;
        char buffer[256];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << shown;
        shown.append(buffer, static_cast<std::size_t>(n));
    }
    termios settings {};
    ASSERT_EQ(0, ::tcgetattr(terminal, &settings));
    EXPECT_EQ(0u, settings.c_lflag & ECHO) << "the password is typed unseen";
    ASSERT_EQ(1, ::write(terminal, "\x03", 1));
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    ASSERT_EQ(0, ::tcgetattr(terminal, &settings));
    EXPECT_NE(0u, settings.c_lflag & ECHO);
    ::close(terminal);
}

} // namespace
