#pragma once
// The exit status of every tinselwick-cli command: scripts test them, so each has one
// number, here, and no command makes up its own.

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDocumentError = 1; // the document or a file failed
inline constexpr int kExitUsageError = 2; // the command line was wrong
// Somebody has no taker: a draw with no solution (its partial result is saved all the
// same, as the window's Save would store it), or letters files that such givers could
// not have (the others' are written).
inline constexpr int kExitDrawIncomplete = 3;
// mail stopped at a message that did not get through after others had gone: the journal
// knows who has theirs, and the same command sends the rest. (Nothing sent at all, for
// want of a connection, a login or a certificate, is a failure like any other: 1.)
inline constexpr int kExitMailStopped = 4;

} // namespace cli
