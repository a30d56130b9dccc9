#pragma once
// Builds small registers for the print tests.

#include "persist/StringList.h"
#include "register/CCUser.h"

#include <memory>
#include <string>
#include <vector>

struct TPerson {
    std::string First;
    std::string Last;
    int Group = 0;
};

/// An owning participants list with one record per person, entered in the given order.
inline std::unique_ptr<TStringList> MakeParticipants(const std::vector<TPerson>& people)
{
    auto list = std::make_unique<TStringList>(true);
    for (const TPerson& person : people) {
        auto* user = new TCCUser(list.get(), nullptr);
        user->SetNames(person.First, person.Last);
        user->GroupNo = person.Group;
        list->Add(user->FullName(), user);
    }
    return list;
}

/// Links every participant to the next one in list order (the last to the first).
inline void AssignInCircle(TStringList& list)
{
    for (int i = 0; i < list.Count(); ++i)
        UserAt(list, i)->SetTaker(UserAt(list, (i + 1) % list.Count()));
}
