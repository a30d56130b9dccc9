#pragma once
// A file replaced whole or not at all. The new contents go to a temporary file in the
// target's folder; only a complete file, flushed to disk, is renamed over the target. The
// one way this program writes a file: documents, PDF files and copies alike.
//
// Where the file system can, the temporary file has no name while it is written
// (O_TMPFILE): a process killed meanwhile leaves nothing behind. It is given a short
// hidden name only when complete, just before the rename. Elsewhere it is written under
// a short hidden name from the start, so that any name the folder takes can be the target.
// Either name is registered (TemporaryNames.h) for removal should a signal end the process.

#include "platform/PosixFile.h"

#include <string>
#include <string_view>

namespace platform {

enum class TTargetHold {
    None, // the target may be open elsewhere meanwhile (a PDF file)
    Exclusive, // a target open elsewhere refuses the save, and is held until the commit (a document)
};

enum class TLinkRule {
    // A name the user gave (a document, an output named on the command line or in a dialog):
    // a symbolic link is followed, and the file it leads to is replaced, in its own folder.
    Follow,
    // A name the program made up inside a folder (each letter of a run): a link of that name
    // is replaced itself and never written through, so that a link planted in a shared
    // folder cannot lead the save to another file.
    ReplaceLink,
};

class TAtomicFile {
public:
    /// Refuses, before anything is written, a target that is not a regular file (without
    /// waiting on a pipe or a device), one this process may not write, and, with
    /// TTargetHold::Exclusive, one that another opener holds. Then creates the temporary
    /// file with the target's owner, group and permissions, as far as this process may set
    /// them (a new target: as the umask allows). Raises EPlatformError with the reason.
    explicit TAtomicFile(std::string target, TTargetHold hold = TTargetHold::None, TLinkRule links = TLinkRule::Follow);
    /// Removes the temporary file unless it was committed.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    /// The file that is replaced: with TLinkRule::Follow, the one the links lead to.
    const std::string& Target() const { return target_; }
    /// A name to open the temporary file by, for writers that open a file by name (for an
    /// unnamed one, its entry under /proc/self/fd, valid while this object lives).
    const std::string& TemporaryPath() const { return temporaryPath_; }
    /// True when there was a file (or, with TLinkRule::ReplaceLink, a link) at the target:
    /// a failure leaves it as it was.
    bool Replaces() const { return replaces_; }
    /// The temporary file, open for writing through a descriptor of its own.
    TPosixFile TakeFile();
    /// Why the temporary file cannot grow ("No space left on device", "File too large"), or
    /// "" when it can: for writers that see a write fail without being told why.
    std::string WriteProblem() const;

    /// Flushes the temporary file to disk and renames it over the target; raises, with
    /// the target untouched, when either fails. Once renamed the file is saved, so a
    /// folder that cannot be flushed afterwards is only noted on the debug output.
    void Commit();

private:
    void CheckTarget(TLinkRule links, TTargetHold hold);
    void CreateTemporary(const std::string& folder);
    void KeepOwnerAndPermissions();
    /// Gives the unnamed temporary file a hidden name in `folder` and returns it.
    std::string NameUnnamed(const std::string& folder);

    std::string target_;
    std::string temporaryPath_;
    TPosixFile held_; // the existing target, with TTargetHold::Exclusive
    TPosixFile temporary_; // open until the commit: an unnamed file lives as long as this
    // What the new file takes over from the one it replaces; -1: the creator's own.
    mode_t permissions_ = 0;
    uid_t owner_ = static_cast<uid_t>(-1);
    gid_t group_ = static_cast<gid_t>(-1);
    bool replaces_ = false;
    bool unnamed_ = false;
    bool committed_ = false;
    int signalSlot_ = -1; // TemporaryNames.h
};

/// Replaces the file with `bytes`, whole or not at all; raises std::runtime_error
/// "Cannot write PATH: reason".
void ReplaceWholeFile(const std::string& path, std::string_view bytes, TTargetHold hold = TTargetHold::None);

} // namespace platform
