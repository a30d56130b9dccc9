#pragma once
// Files for the object files and the documents, on POSIX. Windows shares files by
// share mode; here the same rules are kept with flock():
// shared openers take LOCK_SH, exclusive ones LOCK_EX, never waiting. Each open is
// its own open file description, so two opens in one process conflict like two
// programs would. Locks are advisory: every path that opens a document takes one.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <sys/types.h>

namespace platform {

/// A failure reported by the operating system; the message is fit to show to a user.
class EPlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TShareMode {
    Shared, // other shared openers may read and write
    Exclusive, // nobody else may have the file open
};

/// An open file with its share lock. Closing releases the lock; the destructor closes.
class TPosixFile {
public:
    TPosixFile() = default;
    ~TPosixFile();
    TPosixFile(TPosixFile&& other) noexcept;
    TPosixFile& operator=(TPosixFile&& other) noexcept;
    TPosixFile(const TPosixFile&) = delete;
    TPosixFile& operator=(const TPosixFile&) = delete;

    /// Opens an existing regular file and takes its share lock; raises when it is missing,
    /// is anything but a regular file (at once, without waiting on a pipe or a device), or
    /// when the lock conflicts with another opener.
    static TPosixFile OpenExisting(const std::string& path, bool writable, TShareMode share);
    /// Creates a file that must not exist yet, read and write, locked exclusively.
    static TPosixFile CreateNew(const std::string& path, mode_t permissions = 0666);
    /// Takes over an open descriptor (closed on failure too) and locks it.
    static TPosixFile Adopt(int descriptor, const std::string& path, TShareMode share);

    bool IsOpen() const { return fd_ >= 0; }
    /// The open descriptor, for calls this class does not make itself; -1 when closed.
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

    /// Reads up to n bytes at the offset; fewer only at the end of the file.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n);
    /// Writes all n bytes at the offset or raises.
    void WriteAt(std::uint64_t offset, const void* buffer, std::size_t n);
    std::uint64_t Size() const;
    void Truncate(std::uint64_t size);
    /// Pushes the file's data to the disk.
    void Sync();
    void SetPermissions(mode_t permissions);
    /// The file's permission bits.
    mode_t Permissions() const;
    /// Closes and raises when the system reports a failure (a delayed write error).
    void Close();

private:
    TPosixFile(int fd, std::string path)
        : fd_(fd)
        , path_(std::move(path))
    {
    }
    int fd_ = -1;
    std::string path_;
};

/// Raises "Cannot open the file: it is a folder" (a named pipe, a socket, a device) for a
/// file type that is not a regular file.
void RequireRegularFile(mode_t mode);
/// Pushes the data of the named file to the disk.
void SyncFile(const std::string& path);
bool FileExists(const std::string& path);
/// Removes the file; raises with the system's reason.
void DeleteFile(const std::string& path);
/// Renames from → to, replacing `to`; raises with the system's reason.
void RenameFile(const std::string& from, const std::string& to);
/// The absolute, lexically normalised form of a file name.
std::string FullPathName(const std::string& name);
/// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);
/// Makes a rename in that folder durable.
void SyncFolder(const std::string& folder);
/// The full path of the running executable.
std::string ExecutablePath();
/// The whole content of a regular file, read under a shared lock; raises
/// std::runtime_error "Cannot read PATH: reason".
std::string ReadWholeFile(const std::string& path);
/// The permissions a newly created file gets (0666 less the process's umask).
mode_t DefaultFilePermissions();

/// The message for a share-mode conflict, shared so that callers and tests agree on it.
inline constexpr const char* kSharingViolationMessage = "Sharing violation: the file is in use by another opener";

} // namespace platform
