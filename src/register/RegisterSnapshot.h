#pragma once
// The register's content as one comparable value, so that the window can tell
// whether anything would be lost by closing it.

#include "persist/StringList.h"

#include <string>

/// The groups in order, and each participant's key, names, group and taker's key: what
/// a document stores of the register. Two snapshots are equal exactly when the register
/// would be saved alike; an absent list counts as an empty one. Linear in the register.
std::string RegisterSnapshot(const TStringList* groupNames, const TStringList* participants);
