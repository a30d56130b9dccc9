#include "exchange/LineProblems.h"

void TLineProblems::Add(std::int64_t line, std::string reason)
{
    if (listed_.size() < kListed)
        listed_.push_back({ line, std::move(reason) });
    else
        ++unlisted_;
}

std::string RefusedLinesReport(std::string_view fileName, const TLineProblems& problems)
{
    const std::string file(fileName);
    std::string report;
    for (const TLineProblem& problem : problems.Listed())
        report += file + ":" + std::to_string(problem.line) + ": " + problem.reason + "\n";
    if (problems.Unlisted() > 0)
        report += file + ": " + std::to_string(problems.Unlisted()) + " more "
            + (problems.Unlisted() == 1 ? "line" : "lines") + " refused\n";
    return report;
}
