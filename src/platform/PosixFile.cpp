#include "platform/PosixFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

    [[noreturn]] void Fail(const std::string& what, int error)
    {
        throw EPlatformError(what + ": " + std::strerror(error));
    }

    void CloseQuietly(int fd)
    {
        if (fd >= 0)
            ::close(fd);
    }

    /// Takes the lock without waiting; on conflict the descriptor is closed and the open fails.
    void LockOrClose(int fd, TShareMode share)
    {
        const int operation = (share == TShareMode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
        int rc;
        do {
            rc = ::flock(fd, operation);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0)
            return;
        const int error = errno;
        CloseQuietly(fd);
        if (error == EWOULDBLOCK)
            throw EPlatformError(kSharingViolationMessage);
        Fail("Cannot lock the file", error);
    }

    /// Opens `path` only to push its data to the disk; `what` names it in messages. Some
    /// file systems cannot sync a folder (EINVAL, EROFS): that is no failure.
    void SyncByName(const std::string& path, int flags, const std::string& what)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
        if (fd < 0)
            Fail("Cannot open the " + what, errno);
        const int rc = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (rc != 0 && error != EINVAL && error != EROFS)
            Fail("Cannot flush the " + what + " to disk", error);
    }

} // namespace

TPosixFile::~TPosixFile()
{
    CloseQuietly(fd_);
}

TPosixFile::TPosixFile(TPosixFile&& other) noexcept
    : fd_(other.fd_)
    , path_(std::move(other.path_))
{
    other.fd_ = -1;
}

TPosixFile& TPosixFile::operator=(TPosixFile&& other) noexcept
{
    if (this != &other) {
        CloseQuietly(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

TPosixFile TPosixFile::OpenExisting(const std::string& path, bool writable, TShareMode share)
{
    // A socket cannot be opened at all, and a pipe or a device might never answer a read:
    // the name is looked at first, and the open does not wait.
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0)
        RequireRegularFile(st.st_mode);
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        Fail("Cannot open the file", errno);
    try {
        // Checked again on what was opened: the name may have changed hands meanwhile.
        if (::fstat(fd, &st) != 0)
            Fail("Cannot open the file", errno);
        RequireRegularFile(st.st_mode);
        if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            Fail("Cannot open the file", errno);
    } catch (...) {
        CloseQuietly(fd);
        throw;
    }
    LockOrClose(fd, share);
    return TPosixFile(fd, path);
}

TPosixFile TPosixFile::CreateNew(const std::string& path, mode_t permissions)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, permissions);
    if (fd < 0)
        Fail("Cannot create the file", errno);
    LockOrClose(fd, TShareMode::Exclusive);
    return TPosixFile(fd, path);
}

TPosixFile TPosixFile::Adopt(int descriptor, const std::string& path, TShareMode share)
{
    LockOrClose(descriptor, share);
    return TPosixFile(descriptor, path);
}

std::size_t TPosixFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (offset + done > static_cast<std::uint64_t>(LLONG_MAX))
            break;
        const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot read the file", errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void TPosixFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t n)
{
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write the file", errno);
        }
        if (put == 0)
            Fail("Cannot write the file", ENOSPC);
        done += static_cast<std::size_t>(put);
    }
}

std::uint64_t TPosixFile::Size() const
{
    struct stat st { };
    if (::fstat(fd_, &st) != 0)
        Fail("Cannot read the file's size", errno);
    return static_cast<std::uint64_t>(st.st_size);
}

void TPosixFile::Truncate(std::uint64_t size)
{
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        Fail("Cannot empty the file", errno);
}

void TPosixFile::Sync()
{
    if (::fsync(fd_) != 0)
        Fail("Cannot flush the file to disk", errno);
}

void TPosixFile::SetPermissions(mode_t permissions)
{
    if (::fchmod(fd_, permissions) != 0)
        Fail("Cannot set the file's permissions", errno);
}

mode_t TPosixFile::Permissions() const
{
    struct stat st { };
    if (::fstat(fd_, &st) != 0)
        Fail("Cannot read the file's permissions", errno);
    return st.st_mode & 07777;
}

void TPosixFile::Close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    // No retry on EINTR: on Linux the descriptor is gone either way.
    if (::close(fd) != 0 && errno != EINTR)
        Fail("Cannot close the file", errno);
}

void RequireRegularFile(mode_t mode)
{
    if (S_ISREG(mode))
        return;
    const char* kind = S_ISDIR(mode)     ? "a folder"
        : S_ISFIFO(mode)                 ? "a named pipe"
        : S_ISSOCK(mode)                 ? "a socket"
        : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                         : "not a regular file";
    throw EPlatformError(std::string("Cannot open the file: it is ") + kind);
}

void SyncFile(const std::string& path)
{
    SyncByName(path, O_NONBLOCK, "file");
}

bool FileExists(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0;
}

void DeleteFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0)
        Fail("Cannot delete the file", errno);
}

void RenameFile(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        Fail("Cannot rename the file", errno);
}

std::string FullPathName(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(name, error);
    if (error)
        throw EPlatformError("Cannot expand the file name: " + error.message());
    return absolute.lexically_normal().string();
}

std::string FolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

void SyncFolder(const std::string& folder)
{
    SyncByName(folder, O_DIRECTORY, "folder");
}

std::string ExecutablePath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw EPlatformError("Cannot find the program's own file: " + error.message());
    return path.string();
}

mode_t DefaultFilePermissions()
{
    // Read the umask without changing it (umask() would, for a moment, for every thread).
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

std::string ReadWholeFile(const std::string& path)
{
    try {
        TPosixFile in = TPosixFile::OpenExisting(path, false, TShareMode::Shared);
        std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
        bytes.resize(in.ReadAt(0, bytes.data(), bytes.size()));
        return bytes;
    } catch (const EPlatformError& error) {
        throw std::runtime_error("Cannot read " + path + ": " + error.what());
    }
}

} // namespace platform
