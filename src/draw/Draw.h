#pragma once
// The assignment draw: every participant, as giver, gets one taker from another group.

#include "draw/Random.h"
#include "persist/StringList.h"

#include <cstdint>
#include <vector>

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

/// A random source that hands out the numbers of another one and keeps a note of each,
/// so that a test can see exactly which numbers a draw took.
class TRecordingRandom {
public:
    struct Number {
        std::uint32_t bound;
        std::uint32_t value;
        bool operator==(const Number&) const = default;
    };

    explicit TRecordingRandom(TRandomSource& source)
        : source_(source)
    {
    }

    std::uint32_t Next(std::uint32_t n)
    {
        const std::uint32_t value = source_.Next(n);
        taken_.push_back({ n, value });
        return value;
    }

    const std::vector<Number>& Taken() const { return taken_; }

private:
    TRandomSource& source_;
    std::vector<Number> taken_;
};

/// Clears the assignment, then draws takers for the records of `participants` in list order
/// with `random`. Never raises for a failed draw: the caller reports kDrawFailedMessage.
///
/// The first 10,000 passes are the classic procedure, number for number. When they leave
/// givers without a taker although no group holds more than half of the participants, the
/// draw goes on (further passes, then a completion that cannot fail) and still completes.
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random);
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random, TDrawReport& report);
TDrawOutcome DrawAssignments(TStringList* participants, TRecordingRandom& random, TDrawReport& report);

/// Gives every participant without a taker one, and every participant without a giver one,
/// keeping the valid links already there (a link into the giver's own group, or one whose
/// taker does not point back, is dropped first). Returns false and leaves the records as they
/// were when some group holds more than half of the participants (a lone participant too).
bool CompleteAssignments(TStringList* participants, TRandomSource& random);
