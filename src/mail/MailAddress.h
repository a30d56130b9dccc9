#pragma once
// E-mail addresses as a letter's message and the address list use them: the bare
// address alone (local part, "@", domain), without a display name or comments.

#include <string>
#include <string_view>

namespace mail {

/// True for a bare address in ASCII: a dot-atom or quoted local part, "@", a dot-atom or
/// bracketed domain, at most 254 characters. Surrounding blanks are the caller's to trim.
bool IsMailAddress(std::string_view address);

/// The part after the last "@" (empty when there is none).
std::string_view DomainOf(std::string_view address);

/// The address with letters in lower case: two addresses with the same key reach one
/// inbox as far as this program can tell.
std::string MailboxKey(std::string_view address);

} // namespace mail
