#pragma once
// Registers for draw tests, the check every finished draw must pass, and a plain,
// line-by-line model of the classic draw to compare the real one against.

#include "RecordingRandom.h"
#include "draw/Draw.h"
#include "persist/KelPermObjFileStm.h"
#include "register/CCUser.h"
#include "register/PersistenceStartup.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace draw_testing {

/// Records need a version: the persistence library is set up once per test program.
class PersistenceEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        kel_testing::ResetPersistenceLibrary();
        StartPersistenceWithVersion();
    }
    void TearDown() override { kel_testing::ResetPersistenceLibrary(); }
};

/// An owning participants list with one record per entry of `groups`, named P0, P1, ...
inline std::unique_ptr<TStringList> MakeRegister(const std::vector<std::int32_t>& groups)
{
    auto list = std::make_unique<TStringList>(true);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        auto* user = new TCCUser(list.get(), nullptr);
        user->SetNames("P" + std::to_string(i), "");
        user->GroupNo = groups[i];
        list->Add(user->FullName(), user);
    }
    return list;
}

/// n participants: "pairs" in households of two; "half" one group of n/2, the rest in
/// pairs; "two" two equal groups, interleaved.
inline std::vector<std::int32_t> Layout(const std::string& kind, int n)
{
    std::vector<std::int32_t> groups;
    for (int i = 0; i < n; ++i)
        groups.push_back(kind == "pairs" ? i / 2 : kind == "half" ? (i < n / 2 ? 0 : 1 + i / 2) : (i % 2 ? 7 : -7));
    return groups;
}

/// Who gives to whom, as list indices (-1: nobody).
inline std::vector<int> TakerIndices(const TStringList& list)
{
    std::map<const TCCUser*, int> indexOf;
    for (int i = 0; i < list.Count(); ++i)
        indexOf[UserAt(list, i)] = i;
    std::vector<int> takers;
    for (int i = 0; i < list.Count(); ++i) {
        const TCCUser* user = UserAt(list, i);
        takers.push_back(user == nullptr || user->Taker == nullptr ? -1 : indexOf.at(user->Taker));
    }
    return takers;
}

/// Every link points back and leaves the giver's group; when `complete`, every record
/// also gives to exactly one other and is taken exactly once.
inline ::testing::AssertionResult CheckLinks(const TStringList& list, bool complete = true)
{
    std::map<const TCCUser*, int> taken;
    for (int i = 0; i < list.Count(); ++i) {
        const TCCUser* user = UserAt(list, i);
        if (user == nullptr)
            continue;
        if ((user->Taker != nullptr && user->Taker->Giver != user)
            || (user->Giver != nullptr && user->Giver->Taker != user))
            return ::testing::AssertionFailure() << "entry " << i << ": a link does not point back";
        if (user->Taker != nullptr && user->Taker->GroupNo == user->GroupNo)
            return ::testing::AssertionFailure() << "entry " << i << " gives inside its own group";
        if (complete && user->Taker == nullptr)
            return ::testing::AssertionFailure() << "entry " << i << " has no taker";
        ++taken[user->Taker];
    }
    for (int i = 0; complete && i < list.Count(); ++i)
        if (const TCCUser* user = UserAt(list, i); user != nullptr && taken[user] != 1)
            return ::testing::AssertionFailure() << "entry " << i << " is taken " << taken[user] << " times";
    return ::testing::AssertionSuccess();
}

struct ReferenceDraw {
    bool complete = false;
    int passes = 0;
    std::vector<TRecordingRandom::Number> numbers;
};

/// The classic draw written out step by step on the records, with the full scan after
/// every pass: slow, but plainly the procedure. `record` keeps every random number taken.
inline ReferenceDraw RunReferenceDraw(TStringList& list, TRandomSource& random, bool record = true)
{
    ReferenceDraw result;
    ClearAssignments(&list);
    const auto count = static_cast<std::uint32_t>(list.Count());
    auto next = [&] {
        const std::uint32_t value = random.Next(count);
        if (record)
            result.numbers.push_back({ count, value });
        return UserAt(list, static_cast<int>(value));
    };
    for (std::int32_t j = -10000; j < 0 && !result.complete;) {
        ++j;
        std::int32_t i = j;
        ++result.passes;
        TCCUser* g = next();
        while (g != nullptr && i < 0) {
            ++i;
            if (g->HasTaker()) {
                g = nullptr;
                continue;
            }
            TCCUser* c = next();
            if (c->GroupNo == g->GroupNo)
                continue;
            TCCUser* p = c->Giver;
            if (p != nullptr)
                p->SetTaker(nullptr);
            g->SetTaker(c);
            g = p;
        }
        result.complete = true;
        for (int k = 0; k < list.Count() && result.complete; ++k)
            result.complete = UserAt(list, k)->HasTaker();
    }
    return result;
}

} // namespace draw_testing
