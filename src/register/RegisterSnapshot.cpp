#include "register/RegisterSnapshot.h"

#include "register/CCUser.h"

#include <charconv>
#include <string_view>

namespace {

/// A number in decimal, without a string of its own: the window compares the snapshot
/// after every command, so a large register's snapshot must cost little per record.
void AppendNumber(std::string& out, long long number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// Every text carries its length, so no text can pass for the end of another.
void Append(std::string& out, std::string_view text)
{
    AppendNumber(out, static_cast<long long>(text.size()));
    out += ':';
    out += text;
}

} // namespace

std::string RegisterSnapshot(const TStringList* groupNames, const TStringList* participants)
{
    std::string out;
    const int records = participants != nullptr ? participants->Count() : 0;
    out.reserve(static_cast<std::size_t>(records) * 48);
    const int groups = groupNames != nullptr ? groupNames->Count() : 0;
    AppendNumber(out, groups);
    out += ':';
    for (int i = 0; i < groups; ++i)
        Append(out, groupNames->Strings(i));

    AppendNumber(out, records);
    out += ':';
    for (int i = 0; i < records; ++i) {
        Append(out, participants->Strings(i));
        const TCCUser* user = UserAt(*participants, i);
        if (user == nullptr) {
            out += '-';
            continue;
        }
        out += '+';
        Append(out, user->FirstName);
        Append(out, user->LastName);
        AppendNumber(out, user->GroupNo);
        out += ':';
        if (user->Taker != nullptr) { // the taker's key, FullName, from its two halves
            const TCCUser& taker = *user->Taker;
            out += '+';
            AppendNumber(out, static_cast<long long>(taker.FirstName.size() + taker.LastName.size()));
            out += ':';
            out += taker.FirstName;
            out += taker.LastName;
        } else {
            out += '-';
        }
    }
    return out;
}
