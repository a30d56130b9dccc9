#pragma once
// The assignment draw: every participant, as giver, gets one taker from another group.

#include "draw/Random.h"
#include "persist/StringList.h"

#include <cstdint>

inline constexpr const char* kDrawFailedMessage = "Solution Not Found do not accept result. One Group is too Big";

enum class TDrawOutcome {
    NotRun, ///< fewer than two participants (or no list): nothing drawn, nobody assigned
    Complete, ///< every participant has a taker
    Failed, ///< a group holds more than half of the participants; a partial assignment stays
};

/// How a draw went, for tests, benchmarks and tracing.
struct TDrawReport {
    /// Passes of the classic procedure run (at most 10,000).
    std::int32_t passes = 0;
    /// Further passes run after the classic 10,000 were used up on a register that has a solution.
    std::int64_t furtherPasses = 0;
    /// Givers still without a taker when the further passes ended, given one by the completion.
    std::int32_t completed = 0;
};

/// Clears the assignment, then draws takers for the records of `participants` in list order
/// with `random`. Never raises for a failed draw: the caller reports kDrawFailedMessage.
///
/// The first 10,000 passes are the classic procedure, number for number. When they leave
/// givers without a taker although no group holds more than half of the participants, the
/// draw goes on (further passes, then a completion that cannot fail) and still completes.
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random);
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random, TDrawReport& report);
/// The same with any other source of numbers (slower: one virtual call per number).
TDrawOutcome DrawAssignments(TStringList* participants, IRandomNumbers& random, TDrawReport& report);

/// Gives every participant without a taker one, and every participant without a giver one,
/// keeping the valid links already there (a link into the giver's own group, or one whose
/// taker does not point back, is dropped first). Returns false and leaves the records as they
/// were when some group holds more than half of the participants (a lone participant too).
bool CompleteAssignments(TStringList* participants, TRandomSource& random);
