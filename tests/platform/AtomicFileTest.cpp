// Files are read and replaced only when they are regular files the user may write, and
// a replacement is whole or nothing, whatever the name and the folder.

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "platform/TemporaryNames.h"
#include "support/FileFaults.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

/// Replaces `target` as every writer of the program does; "" or the error's message.
std::string Save(
    const std::string& target, const std::string& text, bool commit = true, TLinkRule links = TLinkRule::Follow)
{
    return MessageOf<EPlatformError>([&] {
        TAtomicFile file(target, TTargetHold::Exclusive, links);
        TPosixFile out = file.TakeFile();
        out.WriteAt(0, text.data(), text.size());
        out.Close();
        if (commit)
            file.Commit();
    });
}

std::string Text(const std::string& path)
{
    const Bytes bytes = ReadFileBytes(path);
    return { bytes.begin(), bytes.end() };
}

enum class TKind { NamedPipe, Folder, Socket, Device, ReadOnlyFile };

void Make(TKind kind, const std::string& path)
{
    if (kind == TKind::NamedPipe)
        ::mkfifo(path.c_str(), 0644);
    else if (kind == TKind::Folder)
        fs::create_directory(path);
    else if (kind == TKind::Device)
        fs::create_symlink("/dev/null", path);
    else if (kind == TKind::ReadOnlyFile)
        WriteFileBytes(path, { 'o', 'l', 'd' }), fs::permissions(path, fs::perms::owner_read);
    if (kind != TKind::Socket)
        return;
    sockaddr_un address { AF_UNIX, {} };
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
}

TEST(AtomicFile, OnlyRegularFilesAreReadAndOnlyWritableOnesReplacedAtOnce)
{
    const TTempDir dir;
    const TPermissionsApply permissions;
    const std::string isA = "Cannot open the file: it is a";
    const struct {
        TKind kind;
        const char* name;
        std::string readError, writeError; // "": done
    } cases[] = {
        { TKind::NamedPipe, "pipe.kks", isA + " named pipe", isA + " named pipe" },
        { TKind::Folder, "folder.kks", isA + " folder", isA + " folder" },
        { TKind::Socket, "socket.kks", isA + " socket", isA + " socket" },
        { TKind::Device, "null.kks", isA + " device", isA + " device" },
        { TKind::ReadOnlyFile, "read-only.kks", "", "Cannot open the file for writing: Permission denied" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.kind, dir / c.name);
        const std::vector<std::string> entries = dir.Entries();
        EXPECT_EQ(MessageOf<EPlatformError>([&] { TPosixFile::OpenExisting(dir / c.name, false, TShareMode::Shared); }),
            c.readError);
        if (c.kind == TKind::ReadOnlyFile && !permissions.Active())
            continue; // permission bits do not bind this process
        EXPECT_EQ(Save(dir / c.name, "new"), c.writeError);
        EXPECT_EQ(dir.Entries(), entries) << "no temporary file is left";
    }
    EXPECT_EQ(Text(dir / "read-only.kks"), "old");
}

TEST(AtomicFile, AnyNameTheFolderTakesIsReplacedWholeOrNotAtAll)
{
    const TTempDir dir;
    const std::string longest = std::string(251, 'n') + ".kks"; // the most a Linux file name holds
    EXPECT_EQ(Save(dir / longest, "first"), "");
    EXPECT_EQ(Save(dir / longest, "second, never committed", false), "");
    EXPECT_EQ(Text(dir / longest), "first");
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { longest });

    // Permissions stay with the file; a folder that cannot be opened for its flush (write
    // and search only) still takes the file, and the save is reported as what it is: done.
    const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / longest, kept);
    fs::permissions(dir.Path(), fs::perms::owner_write | fs::perms::owner_exec);
    const TPermissionsApply permissions;
    std::vector<std::string> notes;
    const ScopedDebugSink sink([&notes](const std::string& line) { notes.push_back(line); });
    EXPECT_EQ(Save(dir / longest, "third"), "");
    EXPECT_EQ(Text(dir / longest), "third");
    EXPECT_EQ(fs::status(dir / longest).permissions(), kept);
    EXPECT_EQ(notes.size(), permissions.Active() ? 1u : 0u) << "a developer hears of the folder";
    fs::permissions(dir.Path(), fs::perms::owner_all);
}

TEST(AtomicFile, ANameTheUserGaveIsFollowedAndALinkInAFolderOfLettersIsReplaced)
{
    const TTempDir dir;
    fs::create_directory(dir / "real");
    WriteFileBytes(dir / "real/c.pdf", { 'o', 'l', 'd' });
    // Saved by root, a file of somebody else's stays theirs; anyone else keeps what they may.
    WriteFileBytes(dir / "real/a.kks", {});
    const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown((dir / "real/a.kks").c_str(), owner, owner == 65534 ? 65534 : ::getegid()), 0);
    ::chmod((dir / "real/a.kks").c_str(), 02640);
    const struct {
        const char* name;
        std::string leadsTo;
        TLinkRule rule;
        std::string saved; // where the new text lands
    } cases[] = {
        { "abs.kks", dir / "real/a.kks", TLinkRule::Follow, dir / "real/a.kks" },
        { "chain.kks", "abs.kks", TLinkRule::Follow, dir / "real/a.kks" },
        { "nowhere.kks", "real/b.kks", TLinkRule::Follow, dir / "real/b.kks" },
        { "c.pdf", "real/c.pdf", TLinkRule::ReplaceLink, dir / "c.pdf" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_symlink(c.leadsTo, dir / c.name);
        EXPECT_EQ(Save(dir / c.name, c.name, true, c.rule), "");
        EXPECT_EQ(Text(c.saved), c.name);
        EXPECT_EQ(fs::is_symlink(dir / c.name), c.rule == TLinkRule::Follow);
    }
    EXPECT_EQ(Text(dir / "real/c.pdf"), "old") << "never written through a link it meets";
    struct stat st { };
    ASSERT_EQ(::stat((dir / "real/a.kks").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_mode & 07777, 02640u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string> { "abs.kks", "c.pdf", "chain.kks", "nowhere.kks", "real" }));
}

TEST(AtomicFile, TheNewFileHasNoNameUntilItIsCompleteAndOneAKilledSaveLeftGoes)
{
    const TTempDir dir;
    WriteFileBytes(dir / ".tinselwick-new-ABCDEF", { 'x' }); // left by a save that was killed
    WriteFileBytes(dir / ".tinselwick-new-GHIJKL", { 'y' }); // of a save still under way
    const TPosixFile alive = TPosixFile::OpenExisting(dir / ".tinselwick-new-GHIJKL", false, TShareMode::Exclusive);
    TAtomicFile file(dir / "a.kks", TTargetHold::Exclusive);
    WriteFileBytes(file.TemporaryPath(), { '%', 'P' }); // as a writer that opens a file by name
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { ".tinselwick-new-GHIJKL" });
    file.Commit();
    EXPECT_EQ(Text(dir / "a.kks"), "%P");
}

// A signal that ends a tool takes the registered names with it, and leaves the others.
TEST(AtomicFile, SignalsThatEndTheToolRemoveItsTemporaryNames)
{
    const TTempDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        RemoveTemporaryFilesOnSignals();
        WriteFileBytes(dir / "temporary", {});
        WriteFileBytes(dir / "kept", {});
        RegisterTemporaryName(dir / "temporary");
        ForgetTemporaryName(RegisterTemporaryName(dir / "kept"));
        ::raise(SIGTERM);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(dir.Entries(), std::vector<std::string> { "kept" });
}

} // namespace
