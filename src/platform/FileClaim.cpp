#include "platform/FileClaim.h"

#include "platform/DebugOutput.h"
#include "platform/PosixFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

    // Why the folder and not the file: a document is replaced by every save and a journal by
    // a new journal, each a rename that puts another file under the name, and a second job
    // would lock the newcomer. The folder stays. Each name has a byte of the folder's lock
    // range to itself, so that the folder's other documents stay free; two names on one
    // byte (one chance in 2^62) would only make one of them wait for the other.
    off_t ByteOf(const std::string& name)
    {
        std::uint64_t hash = 14695981039346656037u; // FNV-1a: the same byte in every build
        for (const char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
        return static_cast<off_t>(hash & ((std::uint64_t { 1 } << 62) - 1));
    }

    struct flock Byte(short type, off_t at)
    {
        struct flock byte { };
        byte.l_type = type;
        byte.l_whence = SEEK_SET;
        byte.l_start = at;
        byte.l_len = 1;
        return byte;
    }

    int Control(int fd, int command, struct flock& byte)
    {
        int rc;
        do {
            rc = ::fcntl(fd, command, &byte);
        } while (rc != 0 && errno == EINTR);
        return rc;
    }

} // namespace

std::optional<TFileClaim> TFileClaim::Take(const std::string& path)
{
    const auto nothingClaimed = [&path](int fd, const char* why) {
        OutputDebugLine("Nothing claims " + path + " for this job alone: " + why);
        if (fd >= 0)
            ::close(fd);
        return TFileClaim(-1);
    };
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nothingClaimed(fd, std::strerror(errno));
    // A folder cannot be opened for writing, which a write lock needs: every job takes a
    // read lock and then looks for anyone else's on the byte. Of two jobs in the same
    // instant at least one sees the other; both may, and both give way, which is safe.
    // Locks of the open folder (OFD), not of the process: a second claim in another
    // thread conflicts too, and no other descriptor's close drops them. They and the
    // flock() share modes of the documents never meet.
    const off_t at = ByteOf(std::filesystem::path(path).filename().string());
    struct flock mine = Byte(F_RDLCK, at);
    if (Control(fd, F_OFD_SETLK, mine) != 0) {
        if (errno != EAGAIN && errno != EACCES)
            return nothingClaimed(fd, std::strerror(errno));
        ::close(fd);
        return std::nullopt;
    }
    struct flock other = Byte(F_WRLCK, at);
    if (Control(fd, F_OFD_GETLK, other) != 0)
        return nothingClaimed(fd, std::strerror(errno));
    if (other.l_type == F_UNLCK)
        return TFileClaim(fd);
    ::close(fd);
    return std::nullopt;
}

TFileClaim::~TFileClaim()
{
    if (fd_ >= 0)
        ::close(fd_);
}

TFileClaim::TFileClaim(TFileClaim&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
{
}

TFileClaim& TFileClaim::operator=(TFileClaim&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

} // namespace platform
