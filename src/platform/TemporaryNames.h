#pragma once
// The names of temporary files that exist only while a save is under way. A signal that
// ends the process (Ctrl-C, a kill) would otherwise leave them behind: the handler that
// RemoveTemporaryFilesOnSignals installs deletes every name registered here, then lets
// the signal end the process as it would have. Async-signal-safe: a fixed table of a few
// paths, each slot claimed and released through an atomic state.

#include <string>

namespace platform {

/// Notes `path` for removal should a signal end the process; returns the slot to release,
/// or -1 when the table is full or the path too long (the file is then not removed).
int RegisterTemporaryName(const std::string& path) noexcept;
/// Releases a slot of RegisterTemporaryName (-1 is ignored).
void ForgetTemporaryName(int slot) noexcept;

/// For a command-line tool: SIGINT and SIGTERM delete the registered files before they end
/// the process, and SIGXFSZ is ignored, so that a file growing past the size limit is a
/// write error the save reports and cleans up after, not the end of the process.
void RemoveTemporaryFilesOnSignals();

} // namespace platform
