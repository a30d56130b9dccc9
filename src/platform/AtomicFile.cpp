#include "platform/AtomicFile.h"

#include "platform/DebugOutput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

    // Short whatever the target's length: the name must fit wherever the target's does.
    constexpr const char* kTemporaryName = ".tinselwick-XXXXXX";

    [[noreturn]] void Fail(const std::string& what, int error)
    {
        throw EPlatformError(what + ": " + std::strerror(error));
    }

} // namespace

TAtomicFile::TAtomicFile(std::string target, TTargetHold hold)
    : target_(std::move(target))
{
    if (target_.empty() || target_.back() == '/')
        throw EPlatformError("Cannot write the file: it has no name");
    mode_t permissions = DefaultFilePermissions();
    struct stat st { };
    if (::stat(target_.c_str(), &st) == 0) {
        RequireRegularFile(st.st_mode);
        // The rename would replace a file the user may not write; refuse as opening it would.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
            Fail("Cannot open the file for writing", errno);
        if (hold == TTargetHold::Exclusive)
            held_ = TPosixFile::OpenExisting(target_, false, TShareMode::Exclusive);
        permissions = st.st_mode & 07777;
        replaces_ = true;
    } else if (errno != ENOENT) {
        Fail("Cannot open the file", errno);
    }

    std::string temporaryPath = FolderOf(target_) + "/" + kTemporaryName;
    const int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
    if (fd < 0)
        Fail("Cannot create a temporary file beside it", errno);
    temporaryPath_ = std::move(temporaryPath);
    try {
        temporary_ = TPosixFile::Adopt(fd, temporaryPath_, TShareMode::Exclusive);
        temporary_.SetPermissions(permissions);
    } catch (...) {
        ::unlink(temporaryPath_.c_str());
        throw;
    }
}

TAtomicFile::~TAtomicFile()
{
    if (!committed_ && !temporaryPath_.empty())
        ::unlink(temporaryPath_.c_str());
}

TPosixFile TAtomicFile::TakeFile()
{
    return std::move(temporary_);
}

void TAtomicFile::Commit()
{
    if (temporary_.IsOpen()) {
        temporary_.Sync();
        temporary_.Close();
    } else {
        SyncFile(temporaryPath_);
    }
    RenameFile(temporaryPath_, target_);
    committed_ = true;
    held_ = TPosixFile();
    try {
        SyncFolder(FolderOf(target_));
    } catch (const std::exception& error) {
        OutputDebugLine("Saved " + target_ + "; the folder was not flushed to disk: " + error.what());
    }
}

} // namespace platform
