#pragma once
// The givers' addresses, from the people list that import reads with an e-mail column
// added. Rows are matched to participants by the window's name rules, so the list the
// organiser imported serves as it is; every giver must end with exactly one address
// of their own before anything is sent.

#include "exchange/LineProblems.h"

#include <string>
#include <string_view>
#include <vector>

class TCCUser;

namespace mail {

struct TAddressMatch {
    /// Each giver's address, in the order of the givers (empty where there is none).
    std::vector<std::string> addresses;
    /// What stops the sending: a giver without an address or with two lines, an address
    /// that is none, an address two givers share; the list's own faults. Line 0 for what
    /// concerns no line.
    TLineProblems errors;
    /// What stops nothing: a row that matches nobody, a shared address let through.
    TLineProblems warnings;
};

/// Matches the rows of `csv` (a file's bytes, which must be UTF-8) to `givers`. The header names the columns, any
/// letter case: "first" or "first name", "last" or "last name", and "email", "e-mail"
/// or "mail"; others are ignored. With `allowShared`, an address two givers share is a
/// warning instead of an error.
TAddressMatch MatchAddresses(std::string_view csv, const std::vector<const TCCUser*>& givers, bool allowShared);

/// The problems of a match as a person reads them, the warnings first, a line each:
/// "LIST:LINE: reason", "LIST: reason" for what concerns no line, the warnings marked
/// "warning: ", and "LIST: N more" for those beyond the listed ones.
std::vector<std::string> AddressProblemLines(
    std::string_view listName, const TLineProblems& errors, const TLineProblems& warnings);

/// A giver's name as messages show it: "FIRST LAST" in UTF-8, no trailing blank.
std::string GiverName(const TCCUser& giver);

} // namespace mail
