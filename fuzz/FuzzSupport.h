#pragma once
// What both fuzz targets check with: a broken promise ends the run where the fuzzer sees
// it, and a register compared member by member.

#include "persist/StringList.h"
#include "register/CCUser.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzing {

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

/// Each participant as "FIRST|LAST|GROUP", in list order.
inline std::vector<std::string> Members(const TStringList& participants)
{
    std::vector<std::string> members;
    for (int i = 0; i < participants.Count(); ++i) {
        const TCCUser* user = UserAt(participants, i);
        members.push_back(user->FirstName + "|" + user->LastName + "|" + std::to_string(user->GroupNo));
    }
    return members;
}

} // namespace fuzzing
