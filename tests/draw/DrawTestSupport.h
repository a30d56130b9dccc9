#pragma once
// Registers for draw tests, the checks every finished draw must pass, and a plain,
// line-by-line model of the classic draw to compare the real one against.

#include "draw/Draw.h"
#include "persist/KelPermObjFileStm.h"
#include "register/CCUser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace draw_testing {

/// Sets up the persistence library once for the whole test program (records need a version).
class PersistenceEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        kel_testing::ResetPersistenceLibrary();
        InitializePersistenceLibrary();
        SetCurrentVersion(21404, 18000);
    }
    void TearDown() override { kel_testing::ResetPersistenceLibrary(); }
};

/// An owning participants list with one record per entry of `groups`, named P0, P1, ...
inline std::unique_ptr<TStringList> MakeRegister(const std::vector<std::int32_t>& groups)
{
    auto list = std::make_unique<TStringList>(true);
    list->Reserve(static_cast<int>(groups.size()));
    for (std::size_t i = 0; i < groups.size(); ++i) {
        auto* user = new TCCUser(list.get(), nullptr);
        user->SetNames("P" + std::to_string(i), "");
        user->GroupNo = groups[i];
        list->Add(user->FullName(), user);
    }
    return list;
}

inline std::vector<std::int32_t> Households(int n, int size = 2)
{
    std::vector<std::int32_t> groups;
    for (int i = 0; i < n; ++i)
        groups.push_back(i / size);
    return groups;
}

/// One group (number 0) of exactly half of the n participants, the rest in households of two.
inline std::vector<std::int32_t> HalfAndPairs(int n)
{
    std::vector<std::int32_t> groups;
    for (int i = 0; i < n; ++i)
        groups.push_back(i < n / 2 ? 0 : 1 + (i - n / 2) / 2);
    return groups;
}

/// Two groups of n/2 each, their members interleaved in the list.
inline std::vector<std::int32_t> TwoEqualGroups(int n)
{
    std::vector<std::int32_t> groups;
    for (int i = 0; i < n; ++i)
        groups.push_back(i % 2 == 0 ? 7 : -7);
    return groups;
}

inline TCCUser* User(const TStringList& list, int i) { return UserAt(list, i); }

/// Index of every record, for reading a result as "who gives to whom".
inline std::vector<int> TakerIndices(const TStringList& list)
{
    std::unordered_map<const TCCUser*, int> indexOf;
    for (int i = 0; i < list.Count(); ++i)
        indexOf[User(list, i)] = i;
    std::vector<int> takers;
    for (int i = 0; i < list.Count(); ++i) {
        const TCCUser* user = User(list, i);
        takers.push_back(user == nullptr || user->Taker == nullptr ? -1 : indexOf.at(user->Taker));
    }
    return takers;
}

/// The link invariant and the group rule hold for every link there is.
inline ::testing::AssertionResult LinksAreSound(const TStringList& list)
{
    for (int i = 0; i < list.Count(); ++i) {
        const TCCUser* user = User(list, i);
        if (user == nullptr)
            continue;
        if (user->Taker != nullptr && user->Taker->Giver != user)
            return ::testing::AssertionFailure() << "entry " << i << ": its taker's Giver is not it";
        if (user->Giver != nullptr && user->Giver->Taker != user)
            return ::testing::AssertionFailure() << "entry " << i << ": its giver's Taker is not it";
        if (user->Taker != nullptr && user->Taker->GroupNo == user->GroupNo)
            return ::testing::AssertionFailure() << "entry " << i << " gives inside its own group " << user->GroupNo;
    }
    return ::testing::AssertionSuccess();
}

/// Sound links, every record gives to one and is taken by one other.
inline ::testing::AssertionResult IsCompleteAssignment(const TStringList& list)
{
    if (auto sound = LinksAreSound(list); !sound)
        return sound;
    std::map<const TCCUser*, int> takenCount;
    for (int i = 0; i < list.Count(); ++i) {
        const TCCUser* user = User(list, i);
        if (user == nullptr)
            continue;
        if (user->Taker == nullptr)
            return ::testing::AssertionFailure() << "entry " << i << " has no taker";
        if (user->Taker == user)
            return ::testing::AssertionFailure() << "entry " << i << " gives to itself";
        ++takenCount[user->Taker];
    }
    for (int i = 0; i < list.Count(); ++i)
        if (const TCCUser* user = User(list, i); user != nullptr && takenCount[user] != 1)
            return ::testing::AssertionFailure() << "entry " << i << " is taken " << takenCount[user] << " times";
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
            result.numbers.push_back({count, value});
        return static_cast<int>(value);
    };
    std::int32_t j = -10000;
    std::int32_t i = -10000;
    while (j < 0 && !result.complete) {
        ++j;
        i = j;
        ++result.passes;
        TCCUser* g = User(list, next());
        while (g != nullptr && i < 0) {
            ++i;
            if (g->HasTaker()) {
                g = nullptr;
                continue;
            }
            TCCUser* c = User(list, next());
            if (c->GroupNo == g->GroupNo)
                continue;
            TCCUser* p = c->Giver;
            if (p != nullptr)
                p->SetTaker(nullptr);
            g->SetTaker(c);
            g = p;
        }
        result.complete = true;
        for (int k = 0; k < list.Count(); ++k)
            if (!User(list, k)->HasTaker()) {
                result.complete = false;
                break;
            }
    }
    return result;
}

} // namespace draw_testing
