#include "draw/Draw.h"

#include "register/CCUser.h"

// Placeholder until the draw lands: clears and reports NotRun.
TDrawOutcome DrawAssignments(TStringList* participants, TRandomSource& /*random*/)
{
    ClearAssignments(participants);
    return TDrawOutcome::NotRun;
}
