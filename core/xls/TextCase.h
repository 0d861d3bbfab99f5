#pragma once

#include <string_view>

namespace zort::xls {

// Compares two UTF-8 texts ignoring letter case, as names and column names are matched:
// Latin, Latin-1 and Cyrillic letters fold; anything else must match exactly.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace zort::xls
