#pragma once
// Pairs a draw must not make, from the files an organiser has: last year's document, and
// a CSV list of chosen pairs.

#include "exchange/LineProblems.h"
#include "persist/StringList.h"

#include <string_view>
#include <utility>
#include <vector>

class TCCUser;

/// (giver, taker) records of this year's participants.
using TExcludedPairs = std::vector<std::pair<const TCCUser*, const TCCUser*>>;

/// Last year's links between people who take part again, matched by their keys (letter
/// case ignored); people new this year are in no pair.
TExcludedPairs LastYearsPairs(const TStringList& lastYear, const TStringList& participants);

/// The pairs of a CSV text with the columns "giver" and "taker", each naming a participant
/// as the letters print the name ("FIRST LAST"), letter case ignored. Every line naming
/// somebody unknown goes into `problems`, and so does a file that is not UTF-8 (as
/// Utf8CsvText tells it), which gives no pairs.
TExcludedPairs ReadExcludedPairs(
    std::string_view csv, const TStringList& participants, std::vector<TLineProblem>& problems);
