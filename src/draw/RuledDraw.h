#pragma once
// A draw with rules beyond the group rule: takers the organiser excluded for a giver (last
// year's, chosen pairs), and on request one circle through everybody. Unlike the plain draw
// it is exact: it fails only when no such draw exists (for a circle under exclusions: or
// when none could be found, which it then says), and a failed draw leaves the records as
// they were.

#include "draw/Draw.h"
#include "persist/StringList.h"

#include <string>
#include <utility>
#include <vector>

class TCCUser;

struct TDrawRequest {
    /// (giver, taker) pairs of records that must not be linked; records that are not
    /// participants are ignored.
    std::vector<std::pair<const TCCUser*, const TCCUser*>> excluded;
    /// The takers form one circle through everybody: A gives to B, B to C, ..., the last to A.
    bool oneCircle = false;
};

struct TRuledDrawResult {
    /// NotRun for fewer than two participants (links removed, as the plain draw does).
    TDrawOutcome outcome = TDrawOutcome::NotRun;
    /// Why a failed draw failed, in the organiser's terms (Windows-1252, names as printed).
    std::string reason;
};

/// Draws a taker for every participant under the group rule and `request`. `groupNames`
/// (may be null) names the groups in the reasons. On success every record's links hold the
/// new draw.
TRuledDrawResult DrawWithRules(
    TStringList* participants, const TStringList* groupNames, const TDrawRequest& request, TRandomSource& random);
