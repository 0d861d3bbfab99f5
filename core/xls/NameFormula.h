#pragma once

#include "WorkbookGlobals.h"

#include <cstddef>
#include <optional>
#include <span>

namespace zort::xls {

// Reads one NAME record (its body with any CONTINUE data joined). Returns nothing for a
// built-in name. A name whose formula is not exactly one area or cell reference of a sheet
// of this workbook comes back with no area and the reason in `error`. Throws Corrupt when the
// record is cut short before the name's text ends.
std::optional<DefinedName> readDefinedName(std::span<const std::byte> body,
                                           std::size_t recordOffset,
                                           const WorkbookGlobals &globals);

} // namespace zort::xls
