#pragma once
// A file replaced whole or not at all. The new contents go to a temporary file under a
// short hidden name in the target's folder, so that any name the folder takes can be
// the target; only a complete file, flushed to disk, is renamed over the target. The
// one way this program writes a file: documents, PDF files and copies alike.

#include "platform/PosixFile.h"

#include <string>

namespace platform {

enum class TTargetHold {
    None, // the target may be open elsewhere meanwhile (a PDF file)
    Exclusive, // a target open elsewhere refuses the save, and is held until the commit (a document)
};

class TAtomicFile {
public:
    /// Refuses, before anything is written, a target that is not a regular file (without
    /// waiting on a pipe or a device), one this process may not write, and, with
    /// TTargetHold::Exclusive, one that another opener holds. Then creates the temporary
    /// file with the target's permissions (a new target: as the umask allows). Raises
    /// EPlatformError with the reason.
    explicit TAtomicFile(std::string target, TTargetHold hold = TTargetHold::None);
    /// Removes the temporary file unless it was committed.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    const std::string& Target() const { return target_; }
    /// The temporary file's name, for writers that open a file by name.
    const std::string& TemporaryPath() const { return temporaryPath_; }
    /// True when there was a file at the target: a failure leaves it as it was.
    bool Replaces() const { return replaces_; }
    /// The open temporary file, for writers that take one; this object lets go of it.
    TPosixFile TakeFile();

    /// Flushes the temporary file to disk and renames it over the target; raises, with
    /// the target untouched, when either fails. Once renamed the file is saved, so a
    /// folder that cannot be flushed afterwards is only noted on the debug output.
    void Commit();

private:
    std::string target_;
    std::string temporaryPath_;
    TPosixFile held_; // the existing target, with TTargetHold::Exclusive
    TPosixFile temporary_;
    bool replaces_ = false;
    bool committed_ = false;
};

} // namespace platform
