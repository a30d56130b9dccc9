#pragma once
// The steps of a draw with rules, on dense person numbers (see DrawRules.h). RuledDraw.cpp
// runs them on a register; tests run them on plain numbers.

#include "draw/DrawRules.h"

#include <cstdint>
#include <vector>

/// People as a circle, order[k] giving to order[k + 1] and the last to the first, such that
/// neighbours are never of one group (exclusions are not looked at). Random. Requires that
/// no group holds more than half of the people (see GroupOverHalf).
std::vector<std::int32_t> InterleavedCircle(const TDrawRules& rules, TRandomSource& random);

/// True when some group holds more than half of the people: then neither an assignment nor
/// a circle exists.
bool GroupOverHalf(const TDrawRules& rules);

/// An assignment: taker[g] for every giver g, a permutation that the rules allow.
struct TAssignment {
    std::vector<std::int32_t> taker;
    std::vector<std::int32_t> giver;
    /// Givers left without a taker (only when no assignment exists).
    std::vector<std::int32_t> unmatched;
};

/// Finds an assignment whenever one exists; when none does, the result holds a largest
/// possible partial one and its unmatched givers. Requires !GroupOverHalf(rules). Still
/// close to the circle it starts from: MixAssignment makes it a random one.
TAssignment FindAssignment(const TDrawRules& rules, TRandomSource& random);
/// Random exchanges of takers between two givers that keep every link allowed.
void MixAssignment(const TDrawRules& rules, TAssignment& assignment, TRandomSource& random);

/// A set of people that proves an assignment or a circle impossible.
struct TWitness {
    enum class TKind {
        GiversWithFewTakers, ///< `people` can only give to `others`, who are fewer
        TakersWithFewGivers, ///< `people` can only be given to by `others`, who are fewer
        GiveOnlyAmongThemselves, ///< `people` can only give to each other (no circle)
        TakeOnlyAmongThemselves, ///< `people` can only be given to by each other (no circle)
    };
    TKind kind = TKind::GiversWithFewTakers;
    std::vector<std::int32_t> people;
    std::vector<std::int32_t> others;
};

/// For a largest partial assignment with unmatched givers: the smaller of the two sets that
/// Hall's theorem promises, a set of givers with fewer possible takers or a set of takers
/// with fewer possible givers.
TWitness ExplainUnmatched(const TDrawRules& rules, const TAssignment& partial, TRandomSource& random);

/// A set of people who only give among themselves, or only take among themselves, when
/// there is one (then no circle goes through everybody); an empty witness otherwise.
TWitness FindClosedGroup(const TDrawRules& rules, TRandomSource& random);

/// How the search for a circle ended.
enum class TCircleSearch {
    Found, ///< `order` holds a circle the rules allow
    Impossible, ///< every order was tried: no circle exists
    GaveUp, ///< none found, none proved impossible
};

/// Looks for a circle through everybody that the rules allow, `order` as InterleavedCircle
/// gives it. Always finds one when there are no exclusions, and whenever everybody may give
/// to at least half of the people and be given to by at least half. Requires
/// !GroupOverHalf(rules) and at least two people.
TCircleSearch FindCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order);

/// Mends a circle that breaks the exclusions in a few places by random exchanges of
/// places. Gives up after a budget of tries; true when every link is allowed.
bool RepairCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order);

/// Builds a circle by growing a long one (see CircleGrowth.cpp); false when the growth
/// stops, which it never does when everybody may give to and be given to by half.
bool GrowCircle(const TDrawRules& rules, TRandomSource& random, std::vector<std::int32_t>& order);
