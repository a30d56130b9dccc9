#pragma once
// The rules every typed name goes through, and the capacities of the short texts.

#include <cstddef>
#include <string>
#include <string_view>

/// A group name's capacity after cleaning.
inline constexpr std::size_t kGroupNameCapacity = 60;
/// CurrentGroup's capacity: that of a group name, so that every group (a long name
/// typed here or read from a document) can be found again and get members.
inline constexpr std::size_t kCurrentGroupCapacity = kGroupNameCapacity;

/// Trims characters with codes 32 or less from both ends, upper-cases a to z (nothing
/// else) and keeps what stands before the first blank: always one upper-case word.
std::string CleanName(std::string_view text);

/// The first `capacity` characters of `text`.
std::string CutText(std::string_view text, std::size_t capacity);
