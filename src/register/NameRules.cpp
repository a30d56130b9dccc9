#include "register/NameRules.h"

#include "persist/AnsiText.h"
#include "register/CCUser.h"

namespace {

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string CleanName(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    while (end > begin && IsTrimmed(text[end - 1]))
        --end;
    std::string name(text.substr(begin, end - begin));
    // Every letter the code page has a capital for, as people write names: josé müller is
    // JOSÉ MÜLLER, not JOSé MüLLER. The table is the one letter case is ignored by, so a
    // name cleaned here is the key any other spelling of it is looked up as.
    for (char& c : name)
        c = AnsiUpperChar(c);
    const std::size_t blank = name.find(' ');
    if (blank != std::string::npos)
        name.resize(blank);
    return name;
}

std::string CutText(std::string_view text, std::size_t capacity)
{
    return std::string(text.substr(0, capacity));
}

std::string CleanGroupName(std::string_view typed)
{
    return CutText(CleanName(typed), kGroupNameCapacity);
}

bool IsGroupName(std::string_view cleaned)
{
    return !cleaned.empty() && cleaned != kDeletedGroupPlaceholder;
}

TParticipantNames CleanParticipantNames(std::string_view typedFirst, std::string_view typedLast)
{
    return { CutText(CleanName(typedFirst), TCCUser::kNameCapacity),
        CutText(CleanName(typedLast), TCCUser::kNameCapacity) };
}

std::string GroupExistsMessage(std::string_view name)
{
    return "Group " + std::string(name) + " already exists";
}

std::string ParticipantExistsMessage(std::string_view key)
{
    return "Participant " + std::string(key) + " already exists";
}
