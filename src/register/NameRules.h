#pragma once
// The rules every typed name goes through, the capacities of the short texts, and the
// refusals of the register's duplicate checks. The window's edit panel and the import of
// a participant list share them, so that an imported register is one the window could
// have made.

#include <cstddef>
#include <string>
#include <string_view>

/// A group name's capacity after cleaning.
inline constexpr std::size_t kGroupNameCapacity = 60;
/// CurrentGroup's capacity: that of a group name, so that every group (a long name
/// typed here or read from a document) can be found again and get members.
inline constexpr std::size_t kCurrentGroupCapacity = kGroupNameCapacity;
/// The text that stands in GroupNames for a deleted group; no group may be named so.
inline constexpr const char* kDeletedGroupPlaceholder = ".";

/// Trims characters with codes 32 or less from both ends, upper-cases every letter that has
/// a capital in Windows-1252 (a to z, à to þ but ÷, š œ ž ÿ; ß stays) and keeps what stands
/// before the first blank: always one upper-case word.
std::string CleanName(std::string_view text);

/// The first `capacity` characters of `text`.
std::string CutText(std::string_view text, std::size_t capacity);

/// A typed group name as a group gets it: cleaned and cut to kGroupNameCapacity.
std::string CleanGroupName(std::string_view typed);
/// False for the names a group cannot have: empty, or the deleted-group placeholder.
bool IsGroupName(std::string_view cleaned);

/// A participant's two names as the register stores them: each cleaned and cut to a
/// name's capacity. The key is what the duplicate check looks up.
struct TParticipantNames {
    std::string first;
    std::string last;
    std::string Key() const { return first + last; }
    /// Both names empty give an empty key, which a saved taker cannot name: such a
    /// participant would come back from a file without its giver's link.
    bool HasKey() const { return !first.empty() || !last.empty(); }
};
TParticipantNames CleanParticipantNames(std::string_view typedFirst, std::string_view typedLast);

/// The refusal of a new group whose cleaned name the groups already hold (letter case ignored).
std::string GroupExistsMessage(std::string_view name);
/// The refusal of a participant whose key the participants already hold (letter case ignored).
std::string ParticipantExistsMessage(std::string_view key);
