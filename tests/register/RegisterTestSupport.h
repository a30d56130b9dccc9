#pragma once
// A register in memory, built the way the main window builds it, for document tests.

#include "persist/PersistTestSupport.h"
#include "register/CCUser.h"

#include <string>
#include <vector>

namespace testsupport {

struct TRegister {
    TStringList groups;
    TStringList participants { true };
    std::vector<std::string> templateLines;

    TCCUser* Add(const std::string& first, const std::string& last, int groupNo)
    {
        auto* user = new TCCUser(&participants, nullptr);
        user->SetNames(first, last);
        user->GroupNo = groupNo;
        participants.Add(user->FullName(), user);
        return user;
    }
};

/// Two groups X and Y; ANN LEE (X) and BOB KAY (Y) give to each other; template "Dear [M]".
inline void FillExchange(TRegister& r)
{
    r.groups.Add("X");
    r.groups.Add("Y");
    TCCUser* ann = r.Add("ANN", "LEE", 0);
    TCCUser* bob = r.Add("BOB", "KAY", 1);
    ann->SetTaker(bob);
    bob->SetTaker(ann);
    r.templateLines = { "Dear [M]" };
}

using TRegisterTest = TPersistTest;

} // namespace testsupport
