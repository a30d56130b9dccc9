#pragma once
// The lines of a file that were refused, and how they are told: the command-line tool
// prints the report, the window shows the same text in a message box.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Why a line of a file was refused (UTF-8, as the file has it).
struct TLineProblem {
    std::int64_t line = 0;
    std::string reason;
};

/// The refused lines of one file in file order: the first kListed kept, the rest only
/// counted, so that a file of a million bad lines costs a hundred messages, not a million.
class TLineProblems {
public:
    static constexpr std::size_t kListed = 100;

    void Add(std::int64_t line, std::string reason);
    bool Empty() const { return listed_.empty(); }
    const std::vector<TLineProblem>& Listed() const { return listed_; }
    /// How many were refused beyond the listed ones.
    std::int64_t Unlisted() const { return unlisted_; }

private:
    std::vector<TLineProblem> listed_;
    std::int64_t unlisted_ = 0;
};

/// One line per listed problem, `FILE:LINE: reason`, then `FILE: N more lines refused`
/// when some were not listed; every line ends in a line break.
std::string RefusedLinesReport(std::string_view fileName, const TLineProblems& problems);
