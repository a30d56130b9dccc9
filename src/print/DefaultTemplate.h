#pragma once
// The letter template a new evening starts with.

#include <string>
#include <vector>

/// The seven default lines; lines 2, 3 and 7 end in one blank, which belongs to the line.
const std::vector<std::string>& DefaultTemplateLines();
