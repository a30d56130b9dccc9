#pragma once
// A file written beside its target under a hidden name and moved over the target
// only when complete, so that a failed job leaves neither a half-written file nor a
// damaged earlier one. Removed on destruction unless committed.

#include <string>

class TPartialFile {
public:
    /// Creates an empty, new file in the target's folder (permissions as the umask allows).
    /// Raises EPrintError with the system's reason when the folder takes no new file.
    explicit TPartialFile(std::string target);
    ~TPartialFile();
    TPartialFile(const TPartialFile&) = delete;
    TPartialFile& operator=(const TPartialFile&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& Target() const { return target_; }

    /// Moves the file over the target (replacing it). Raises when the move fails.
    void Commit();

private:
    std::string target_;
    std::string path_;
    bool committed_ = false;
};
