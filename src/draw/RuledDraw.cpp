#include "draw/RuledDraw.h"

#include "draw/RuledSteps.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

#include <unordered_map>

namespace {

// A reason lists at most this many names, then says how many more there are.
constexpr std::size_t kNamesShown = 10;

constexpr const char* kNoAssignment = "No assignment keeps every rule: ";
constexpr const char* kNoCircle = "No circle is possible: ";
constexpr const char* kNoCircleFound
    = "No circle found: none that keeps every exclusion turned up, and none is proved impossible";

/// The register as the steps see it: people numbered in list order, their records.
struct TDenseRegister {
    std::vector<TCCUser*> users;
    std::vector<std::int32_t> groups;
    std::vector<TPersonPair> excluded;
};

TDenseRegister ReadRegister(const TStringList& participants, const TDrawRequest& request)
{
    TDenseRegister dense;
    std::unordered_map<const TCCUser*, std::int32_t> number;
    for (int i = 0; i < participants.Count(); ++i) {
        if (TCCUser* user = UserAt(participants, i);
            user != nullptr && number.emplace(user, dense.users.size()).second) {
            dense.users.push_back(user);
            dense.groups.push_back(user->GroupNo);
        }
    }
    for (const auto& [giver, taker] : request.excluded) {
        const auto g = number.find(giver);
        const auto t = number.find(taker);
        if (g != number.end() && t != number.end())
            dense.excluded.emplace_back(g->second, t->second);
    }
    return dense;
}

std::string Count(std::size_t n)
{
    return std::to_string(n);
}

/// "A, B and C", at most kNamesShown names, then "and 25 others".
std::string Names(const TDenseRegister& r, const std::vector<std::int32_t>& people)
{
    std::string text;
    const std::size_t shown = people.size() <= kNamesShown + 1 ? people.size() : kNamesShown;
    for (std::size_t k = 0; k < shown; ++k) {
        if (k > 0)
            text += k + 1 == people.size() ? " and " : ", ";
        text += r.users[static_cast<std::size_t>(people[k])]->SpacedName();
    }
    if (shown < people.size())
        text += " and " + Count(people.size() - shown) + " others";
    return text;
}

std::string GroupName(const TStringList* groupNames, std::int32_t groupNo)
{
    if (groupNames != nullptr && groupNo >= 0 && groupNo < groupNames->Count()
        && IsGroupName(groupNames->Strings(groupNo)))
        return "group " + groupNames->Strings(groupNo);
    return "group number " + std::to_string(static_cast<std::int64_t>(groupNo) + 1);
}

std::string ExplainLargeGroup(const TDenseRegister& r, const TDrawRules& rules, const TStringList* groupNames)
{
    const std::int32_t largest = rules.LargestGroup();
    const std::int32_t someone = rules.At(rules.GroupBegin(largest));
    const auto n = static_cast<std::size_t>(rules.Count());
    const auto members = static_cast<std::size_t>(rules.GroupSize(largest));
    return GroupName(groupNames, r.groups[static_cast<std::size_t>(someone)]) + " holds " + Count(members) + " of the "
        + Count(n) + " participants, and its members can only give to the " + Count(n - members) + " others";
}

std::string Explain(const TDenseRegister& r, const TWitness& w)
{
    const std::string people = Names(r, w.people);
    const std::string others = Names(r, w.others);
    const std::string k = Count(w.people.size());
    switch (w.kind) {
    case TWitness::TKind::GiversWithFewTakers:
        if (w.others.empty())
            return people + " can give to nobody: everyone else is in the same group or excluded";
        return "these " + k + " givers (" + people + ") can only give to these " + Count(w.others.size()) + " people ("
            + others + ")";
    case TWitness::TKind::TakersWithFewGivers:
        if (w.others.empty())
            return "nobody can give to " + people + ": everyone else is in the same group or excluded";
        return "these " + k + " people (" + people + ") can only be given to by these " + Count(w.others.size())
            + " givers (" + others + ")";
    case TWitness::TKind::GiveOnlyAmongThemselves:
        return "these " + k + " people (" + people + ") can only give to each other";
    case TWitness::TKind::TakeOnlyAmongThemselves:
        return "these " + k + " people (" + people + ") can only be given to by each other";
    }
    return {};
}

void Store(TStringList& participants, const TDenseRegister& r, const std::vector<std::int32_t>& taker)
{
    ClearAssignments(&participants);
    for (std::size_t k = 0; k < r.users.size(); ++k)
        r.users[k]->SetTaker(r.users[static_cast<std::size_t>(taker[k])]);
}

std::vector<std::int32_t> TakersOfCircle(const std::vector<std::int32_t>& order)
{
    std::vector<std::int32_t> taker(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        taker[static_cast<std::size_t>(order[k])] = order[(k + 1) % order.size()];
    return taker;
}

/// The circle, or the reason there is none.
TRuledDrawResult DrawCircle(
    TStringList& participants, const TDenseRegister& r, const TDrawRules& rules, TRandomSource& random)
{
    if (rules.HasExclusions()) {
        if (const TAssignment a = FindAssignment(rules, random); !a.unmatched.empty())
            return { TDrawOutcome::Failed, kNoCircle + Explain(r, ExplainUnmatched(rules, a, random)) };
        if (const TWitness closed = FindClosedGroup(rules, random); !closed.people.empty())
            return { TDrawOutcome::Failed, kNoCircle + Explain(r, closed) };
    }
    std::vector<std::int32_t> order;
    switch (FindCircle(rules, random, order)) {
    case TCircleSearch::Found:
        Store(participants, r, TakersOfCircle(order));
        return { TDrawOutcome::Complete, {} };
    case TCircleSearch::Impossible:
        return { TDrawOutcome::Failed,
            kNoCircle + std::string("every order of the ") + Count(r.users.size())
                + " participants has someone giving to a member of the same group or to an excluded taker" };
    case TCircleSearch::GaveUp:
        break;
    }
    return { TDrawOutcome::Failed, kNoCircleFound };
}

} // namespace

TRuledDrawResult DrawWithRules(
    TStringList* participants, const TStringList* groupNames, const TDrawRequest& request, TRandomSource& random)
{
    if (participants == nullptr)
        return {};
    const TDenseRegister r = ReadRegister(*participants, request);
    if (r.users.size() < 2) {
        ClearAssignments(participants);
        return {};
    }
    const TDrawRules rules(r.groups, r.excluded);
    const char* const prefix = request.oneCircle ? kNoCircle : kNoAssignment;
    if (GroupOverHalf(rules))
        return { TDrawOutcome::Failed, prefix + ExplainLargeGroup(r, rules, groupNames) };
    if (request.oneCircle)
        return DrawCircle(*participants, r, rules, random);
    TAssignment a = FindAssignment(rules, random);
    if (!a.unmatched.empty())
        return { TDrawOutcome::Failed, prefix + Explain(r, ExplainUnmatched(rules, a, random)) };
    MixAssignment(rules, a, random);
    Store(*participants, r, a.taker);
    return { TDrawOutcome::Complete, {} };
}
