#include "draw/Draw.h"

#include "draw/DrawBoard.h"
#include "register/CCUser.h"

#include <bit>
#include <vector>

namespace {

// The classic procedure's bound: pass counter J runs from -10000 up to 0, and each pass's
// step counter I starts at the new J, so pass k may take 10000 - k steps.
constexpr std::int32_t kPassBound = 10000;

// Further passes (used only when the classic ones run out on a register that has a
// solution) share one budget of random numbers of about three times n log2 n: ordinary
// registers finish well inside it, and the tight ones, where random passes can wander for
// ever, go on to the completion after a bounded, n log n amount of work.
std::int64_t FurtherBudget(std::int32_t count)
{
    const auto n = static_cast<std::int64_t>(count);
    return 3 * n * std::bit_width(static_cast<std::uint32_t>(count)) + kPassBound;
}

/// Goes on after the classic passes on a register that has a solution. A classic pass that
/// starts at a giver who has a taker does nothing at all, and near the end nearly all of them
/// do; so each further pass starts at a random giver among those still without a taker, which
/// leaves the course of the links as it would be and drops only the idle passes. The chain of
/// a pass is the classic one: the giver who loses his taker looks next.
template <class Random> void RunFurtherPasses(TDrawBoard& board, Random& random, TDrawReport& report)
{
    TDrawSlot* const s = board.Slots();
    const auto count = static_cast<std::uint32_t>(board.Count());
    std::vector<std::int32_t> waiting;
    waiting.reserve(static_cast<std::size_t>(board.Unassigned()));
    for (std::int32_t k = 0; k < board.Count(); ++k)
        if (s[k].present != 0 && s[k].taker == kNoSlot)
            waiting.push_back(k);

    std::int64_t budget = FurtherBudget(board.Count());
    while (!waiting.empty() && budget > 0) {
        ++report.furtherPasses;
        --budget;
        const std::uint32_t at = random.Next(static_cast<std::uint32_t>(waiting.size()));
        std::int32_t g = waiting[at];
        waiting[at] = waiting.back();
        waiting.pop_back();
        while (g != kNoSlot && budget > 0) {
            --budget;
            const auto c = static_cast<std::int32_t>(random.Next(count));
            if (s[c].present == 0 || s[c].group == s[g].group)
                continue;
            g = board.Link(g, c);
        }
        // Out of budget in mid-chain: the giver waits for the completion.
        if (g != kNoSlot)
            waiting.push_back(g);
    }
}

template <class Random> TDrawOutcome Run(TStringList* participants, Random& random, TDrawReport& report)
{
    report = TDrawReport {};
    if (participants == nullptr || participants->Count() < 2) {
        ClearAssignments(participants);
        return TDrawOutcome::NotRun;
    }

    // Reading the register into the board also clears every record's links.
    TDrawBoard board(*participants, TDrawBoard::TLinks::Cleared);
    const auto count = static_cast<std::uint32_t>(board.Count());
    TDrawSlot* const s = board.Slots();

    std::int32_t j = -kPassBound;
    std::int32_t i = -kPassBound;
    while (j < 0) {
        ++j;
        i = j;
        ++report.passes;
        auto g = static_cast<std::int32_t>(random.Next(count));
        if (s[g].present == 0)
            g = kNoSlot;
        while (g != kNoSlot && i < 0) {
            ++i;
            if (s[g].taker != kNoSlot)
                break;
            const auto c = static_cast<std::int32_t>(random.Next(count));
            // An entry without a record cannot be taken; like a member of the giver's own
            // group it only costs the step.
            if (s[c].present == 0 || s[c].group == s[g].group)
                continue;
            // The giver who loses c goes on looking in this same pass.
            g = board.Link(g, c);
        }
        // The count of givers without a taker stands in for a scan of the whole list.
        if (board.Unassigned() == 0)
            break;
    }

    if (board.Unassigned() != 0) {
        if (board.SomeGroupOverHalf()) {
            board.Store();
            return TDrawOutcome::Failed;
        }
        RunFurtherPasses(board, random, report);
        report.completed = board.Unassigned();
        CompleteBoard(board, random);
    }
    board.Store();
    return TDrawOutcome::Complete;
}

} // namespace

TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random)
{
    TDrawReport report;
    return Run(participants, random, report);
}

TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random, TDrawReport& report)
{
    return Run(participants, random, report);
}

TDrawOutcome DrawAssignments(TStringList* participants, IRandomNumbers& random, TDrawReport& report)
{
    return Run(participants, random, report);
}

bool CompleteAssignments(TStringList* participants, TRandomSource& random)
{
    if (participants == nullptr)
        return true;
    TDrawBoard board(*participants, TDrawBoard::TLinks::Imported);
    if (board.SomeGroupOverHalf())
        return false;
    CompleteBoard(board, random);
    board.Store();
    return true;
}
