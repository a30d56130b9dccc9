#include "register/RegisterSnapshot.h"

#include "register/CCUser.h"

#include <string_view>

namespace {

// Every text carries its length, so no text can pass for the end of another.
void Append(std::string& out, std::string_view text)
{
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

} // namespace

std::string RegisterSnapshot(const TStringList* groupNames, const TStringList* participants)
{
    std::string out;
    const int groups = groupNames != nullptr ? groupNames->Count() : 0;
    Append(out, std::to_string(groups));
    for (int i = 0; i < groups; ++i)
        Append(out, groupNames->Strings(i));

    const int count = participants != nullptr ? participants->Count() : 0;
    Append(out, std::to_string(count));
    for (int i = 0; i < count; ++i) {
        Append(out, participants->Strings(i));
        const TCCUser* user = UserAt(*participants, i);
        if (user == nullptr) {
            out += '-';
            continue;
        }
        out += '+';
        Append(out, user->FirstName);
        Append(out, user->LastName);
        Append(out, std::to_string(user->GroupNo));
        Append(out, user->Taker != nullptr ? "+" + user->Taker->FullName() : std::string("-"));
    }
    return out;
}
