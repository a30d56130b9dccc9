#pragma once
// The desktop program's command line: --help, --version and at most one document to
// open at start. Read before the toolkit starts, so that --help and --version work
// without a display; no option reaches the toolkit.

#include <QString>

#include <optional>

struct TStartRequest {
    /// Set when the program is to end at once with this code, after `text` is printed
    /// (on standard output for 0, on standard error otherwise).
    std::optional<int> exitCode;
    QString text;
    /// The document to retrieve at start; empty for none.
    QString document;
};

TStartRequest ParseStartCommandLine(int argc, const char* const argv[]);
