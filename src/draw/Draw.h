#pragma once
// The assignment draw: every participant, as giver, gets one taker from another group.

#include "draw/Random.h"
#include "persist/StringList.h"

inline constexpr const char* kDrawFailedMessage = "Solution Not Found do not accept result. One Group is too Big";

enum class TDrawOutcome {
    NotRun,   ///< fewer than two participants (or no list): nothing drawn, nobody assigned
    Complete, ///< every participant has a taker
    Failed,   ///< a group holds more than half of the participants; a partial assignment stays
};

/// Clears the assignment, then draws takers for the records of `participants` in list order
/// with `random`. Never raises for a failed draw: the caller reports kDrawFailedMessage.
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& random);
