// Files are read and replaced only when they are regular files the user may write, and
// a replacement is whole or nothing, whatever the name and the folder.

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace fs = std::filesystem;
using namespace platform;
using testsupport::TPermissionsApply;

namespace {

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string name = (fs::temp_directory_path() / "atomic-file-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir_ = name;
    }
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    /// Replaces `target` the way every writer of the program does; "" or the error's message.
    static std::string Save(const std::string& target, const std::string& text, bool commit = true)
    {
        try {
            TAtomicFile file(target, TTargetHold::Exclusive);
            TPosixFile out = file.TakeFile();
            out.WriteAt(0, text.data(), text.size());
            out.Close();
            if (commit)
                file.Commit();
            return "";
        } catch (const EPlatformError& error) {
            return error.what();
        }
    }
    static std::string Open(const std::string& path)
    {
        try {
            TPosixFile::OpenExisting(path, false, TShareMode::Shared);
            return "";
        } catch (const EPlatformError& error) {
            return error.what();
        }
    }

private:
    fs::path dir_;
};

enum class TKind { NamedPipe, Folder, Socket, Device, ReadOnlyFile };

void Make(TKind kind, const std::string& path)
{
    switch (kind) {
    case TKind::NamedPipe:
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        break;
    case TKind::Folder:
        fs::create_directory(path);
        break;
    case TKind::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        break;
    }
    case TKind::Device:
        fs::create_symlink("/dev/null", path);
        break;
    case TKind::ReadOnlyFile:
        std::ofstream(path) << "old";
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
        break;
    }
}

TEST_F(AtomicFile, OnlyRegularFilesAreReadAndOnlyWritableOnesReplacedAtOnce)
{
    struct TCase {
        TKind kind;
        const char* name;
        std::string readError; // "": the file is read
        std::string writeError;
    };
    const TCase cases[] = {
        { TKind::NamedPipe, "pipe.kks", "Cannot open the file: it is a named pipe",
            "Cannot open the file: it is a named pipe" },
        { TKind::Folder, "folder.kks", "Cannot open the file: it is a folder", "Cannot open the file: it is a folder" },
        { TKind::Socket, "socket.kks", "Cannot open the file: it is a socket", "Cannot open the file: it is a socket" },
        { TKind::Device, "null.kks", "Cannot open the file: it is a device", "Cannot open the file: it is a device" },
        { TKind::ReadOnlyFile, "read-only.kks", "", "Cannot open the file for writing: Permission denied" },
    };
    const TPermissionsApply permissions;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.kind, Path(c.name));
        const std::vector<std::string> entries = Entries();
        EXPECT_EQ(Open(Path(c.name)), c.readError);
        if (c.kind == TKind::ReadOnlyFile && !permissions.Active()) {
            std::cout << "[  NOTE    ] not tested here: permission bits are not enforced for this process\n";
            continue;
        }
        EXPECT_EQ(Save(Path(c.name), "new"), c.writeError);
        EXPECT_EQ(Entries(), entries) << "no temporary file is left";
    }
    EXPECT_EQ(Read(Path("read-only.kks")), "old");
}

TEST_F(AtomicFile, AnyNameTheFolderTakesIsReplacedWholeOrNotAtAll)
{
    const std::string longest = std::string(251, 'n') + ".kks"; // the most a Linux file name holds
    const std::string path = Path(longest);
    EXPECT_EQ(Save(path, "first"), "");
    EXPECT_EQ(Save(path, "second, never committed", false), "");
    EXPECT_EQ(Read(path), "first");
    EXPECT_EQ(Entries(), std::vector<std::string> { longest });

    // Permissions stay with the document; a folder that cannot be opened for its flush
    // (write and search only) still takes the file, and that is what is reported.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::permissions(Path(""), fs::perms::owner_write | fs::perms::owner_exec);
    const TPermissionsApply permissions;
    std::vector<std::string> notes;
    const ScopedDebugSink sink([&notes](const std::string& line) { notes.push_back(line); });
    EXPECT_EQ(Save(path, "third"), "");
    EXPECT_EQ(Read(path), "third");
    EXPECT_EQ(notes.size(), permissions.Active() ? 1u : 0u) << "a developer hears of the folder";
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
