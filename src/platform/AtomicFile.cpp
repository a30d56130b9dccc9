#include "platform/AtomicFile.h"

#include "platform/DebugOutput.h"
#include "platform/TemporaryNames.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

    // Short whatever the target's length: the name must fit wherever the target's does.
    constexpr const char* kTemporaryName = ".tinselwick-XXXXXX";
    // The name a complete unnamed file has for the instant before its rename.
    constexpr std::string_view kLinkPrefix = ".tinselwick-new-";
    constexpr std::size_t kLinkSuffixLength = 6;
    // As many links as the kernel follows in one path.
    constexpr int kMaxLinks = 40;

    [[noreturn]] void Fail(const std::string& what, int error)
    {
        throw EPlatformError(what + ": " + std::strerror(error));
    }

    std::string DescriptorPath(int fd)
    {
        return "/proc/self/fd/" + std::to_string(fd);
    }

    /// The file a name leads to through any number of symbolic links; the name itself when
    /// it is no link. A link that leads nowhere gives the name it leads to, which a save
    /// then creates. Relative links are taken from the link's own folder, as the kernel
    /// does, and never simplified by hand: "../" after a linked folder is the kernel's to read.
    std::string FollowLinks(std::string path)
    {
        for (int links = 0;; ++links) {
            struct stat st { };
            if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
                return path;
            if (links == kMaxLinks)
                Fail("Cannot open the file", ELOOP);
            std::error_code error;
            const std::filesystem::path to = std::filesystem::read_symlink(path, error);
            if (error)
                Fail("Cannot open the file", error.value());
            path = to.is_absolute() ? to.string() : FolderOf(path) + "/" + to.string();
        }
    }

    std::string RandomSuffix()
    {
        static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        unsigned char bytes[kLinkSuffixLength] {};
        if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
            // Names only need to differ from their neighbours: the clock does that too.
            auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
            for (unsigned char& b : bytes)
                b = static_cast<unsigned char>(ticks), ticks = ticks * 6364136223846793005u + 1442695040888963407u;
        }
        std::string suffix;
        for (const unsigned char b : bytes)
            suffix += kLetters[b % (sizeof kLetters - 1)];
        return suffix;
    }

    bool IsLinkName(std::string_view name)
    {
        return name.size() == kLinkPrefix.size() + kLinkSuffixLength
            && name.substr(0, kLinkPrefix.size()) == kLinkPrefix;
    }

    /// Removes what a killed save left in that instant between naming its complete file and
    /// renaming it: a writer that is alive holds its file locked from the first byte on, so
    /// a name whose lock can be had belongs to nobody any more.
    void RemoveAbandonedNames(const std::string& folder)
    {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            return;
        const int dirFd = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            if (!IsLinkName(entry->d_name))
                continue;
            const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dirFd, entry->d_name, 0) == 0)
                OutputDebugLine("Removed " + folder + "/" + entry->d_name + ", left by a save that was ended");
            ::close(fd);
        }
        ::closedir(dir);
    }

} // namespace

TAtomicFile::TAtomicFile(std::string target, TTargetHold hold, TLinkRule links)
    : target_(std::move(target))
{
    if (target_.empty() || target_.back() == '/')
        throw EPlatformError("Cannot write the file: it has no name");
    permissions_ = DefaultFilePermissions();
    CheckTarget(links, hold);
    const std::string folder = FolderOf(target_);
    if (hold == TTargetHold::Exclusive)
        RemoveAbandonedNames(folder);
    CreateTemporary(folder);
}

void TAtomicFile::CheckTarget(TLinkRule links, TTargetHold hold)
{
    struct stat st { };
    if (links == TLinkRule::Follow)
        target_ = FollowLinks(target_);
    else if (::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        replaces_ = true; // the link goes, whatever it leads to
        return;
    }
    if (::stat(target_.c_str(), &st) != 0) {
        if (errno != ENOENT)
            Fail("Cannot open the file", errno);
        return;
    }
    RequireRegularFile(st.st_mode);
    // The rename would replace a file the user may not write; refuse as opening it would.
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
        Fail("Cannot open the file for writing", errno);
    if (hold == TTargetHold::Exclusive)
        held_ = TPosixFile::OpenExisting(target_, false, TShareMode::Exclusive);
    permissions_ = st.st_mode & 07777;
    owner_ = st.st_uid;
    group_ = st.st_gid;
    replaces_ = true;
}

void TAtomicFile::CreateTemporary(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Without /proc the unnamed file could never be given a name.
    if (fd >= 0 && ::access(DescriptorPath(fd).c_str(), F_OK) != 0) {
        ::close(fd);
        fd = -1;
    }
    if (fd >= 0) {
        unnamed_ = true;
        temporaryPath_ = DescriptorPath(fd);
    } else {
        std::string temporaryPath = folder + "/" + kTemporaryName;
        fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
        if (fd < 0)
            Fail("Cannot create a temporary file beside it", errno);
        temporaryPath_ = std::move(temporaryPath);
        signalSlot_ = RegisterTemporaryName(temporaryPath_);
    }
    try {
        temporary_ = TPosixFile::Adopt(fd, temporaryPath_, TShareMode::Exclusive);
        KeepOwnerAndPermissions();
    } catch (...) {
        if (!unnamed_)
            ::unlink(temporaryPath_.c_str());
        ForgetTemporaryName(signalSlot_);
        throw;
    }
}

void TAtomicFile::KeepOwnerAndPermissions()
{
    mode_t permissions = permissions_;
    const int fd = temporary_.Descriptor();
    // Only root may give a file away; anyone may choose among their own groups. A new
    // owner or group that could not be kept takes its set-id bit with it.
    if (::fchown(fd, owner_, group_) != 0) {
        permissions &= ~S_ISUID;
        if (::fchown(fd, static_cast<uid_t>(-1), group_) != 0)
            permissions &= ~S_ISGID;
    }
    temporary_.SetPermissions(permissions);
}

TAtomicFile::~TAtomicFile()
{
    if (!committed_ && !unnamed_ && !temporaryPath_.empty())
        ::unlink(temporaryPath_.c_str());
    ForgetTemporaryName(signalSlot_);
}

TPosixFile TAtomicFile::TakeFile()
{
    const int fd = ::fcntl(temporary_.Descriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        Fail("Cannot write the temporary file", errno);
    return TPosixFile::Adopt(fd, temporaryPath_, TShareMode::Exclusive);
}

std::string TAtomicFile::WriteProblem() const
{
    constexpr off_t kProbe = 64 * 1024;
    const int fd = temporary_.Descriptor();
    struct stat st { };
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    const int error = ::posix_fallocate(fd, st.st_size, kProbe);
    if (error == 0) {
        // The probe's room is given back; the file is abandoned anyway, so a failure here
        // is only noted.
        if (::ftruncate(fd, st.st_size) != 0)
            OutputDebugLine("A probe of " + temporaryPath_ + " could not be taken back: " + std::strerror(errno));
        return {};
    }
    return error == EOPNOTSUPP || error == EINVAL ? std::string() : std::strerror(error);
}

std::string TAtomicFile::NameUnnamed(const std::string& folder)
{
    for (int attempt = 0;; ++attempt) {
        std::string name = folder + "/" + std::string(kLinkPrefix) + RandomSuffix();
        // Registered first: a signal that comes as the name appears still finds it.
        signalSlot_ = RegisterTemporaryName(name);
        if (::linkat(AT_FDCWD, temporaryPath_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        const int error = errno;
        ForgetTemporaryName(signalSlot_);
        signalSlot_ = -1;
        if (error != EEXIST || attempt == 100)
            Fail("Cannot name the new file", error);
    }
}

void TAtomicFile::Commit()
{
    temporary_.Sync();
    std::string from = temporaryPath_;
    if (unnamed_)
        from = NameUnnamed(FolderOf(target_));
    else
        temporary_.Close();
    if (::rename(from.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        if (unnamed_)
            ::unlink(from.c_str());
        ForgetTemporaryName(signalSlot_);
        signalSlot_ = -1;
        Fail("Cannot rename the file", error);
    }
    committed_ = true;
    ForgetTemporaryName(signalSlot_);
    signalSlot_ = -1;
    held_ = TPosixFile();
    try {
        temporary_.Close(); // flushed already: a late complaint changes nothing on disk
    } catch (const std::exception& error) {
        OutputDebugLine("Saved " + target_ + "; closing it reported: " + error.what());
    }
    try {
        SyncFolder(FolderOf(target_));
    } catch (const std::exception& error) {
        OutputDebugLine("Saved " + target_ + "; the folder was not flushed to disk: " + error.what());
    }
}

void ReplaceWholeFile(const std::string& path, std::string_view bytes, TTargetHold hold)
{
    try {
        TAtomicFile out(path, hold);
        TPosixFile file = out.TakeFile();
        file.WriteAt(0, bytes.data(), bytes.size());
        file.Close();
        out.Commit();
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write " + path + ": " + error.what());
    }
}

} // namespace platform
