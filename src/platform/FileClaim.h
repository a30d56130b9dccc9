#pragma once
// A claim on a file's name for one job at a time, among every process on this machine:
// two jobs that would both write what the name holds (letters recorded as sent) find
// each other before either starts. The name need not exist, and the file it names may be
// replaced by a rename meanwhile: the claim is on the name in its folder, not on a file.
// The kernel ends a claim with the process that held it, however that process ends.

#include <optional>
#include <string>

namespace platform {

class TFileClaim {
public:
    /// Claims `path`'s name for the lifetime of the result; nothing when another claim on
    /// it is held, in this process or another. Where the folder cannot be locked (a file
    /// system without locks, a folder this process may not list), the result holds
    /// nothing and the debug output says why.
    static std::optional<TFileClaim> Take(const std::string& path);

    ~TFileClaim();
    TFileClaim(TFileClaim&& other) noexcept;
    TFileClaim& operator=(TFileClaim&& other) noexcept;
    TFileClaim(const TFileClaim&) = delete;
    TFileClaim& operator=(const TFileClaim&) = delete;

    /// False where the folder could not be locked and nothing was claimed.
    bool Held() const { return fd_ >= 0; }

private:
    explicit TFileClaim(int fd)
        : fd_(fd)
    {
    }
    int fd_ = -1;
};

} // namespace platform
