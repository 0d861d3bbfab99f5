#pragma once

#include "WorkbookGlobals.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zort::xls {

// The cells of one area of a sheet, clipped to the sheet's used range: rows[0] is the area's
// first row; every row is `width` cells wide. The first row and first column are kept even when
// the sheet has nothing in them.
struct AreaCells
{
    std::vector<std::vector<Cell>> rows;
    std::size_t width = 0;
};

// Reads the sheet substream at globals.sheets[sheet] and keeps only the cells inside `area`,
// while tracking the sheet's last used row and column. Throws Corrupt for damaged records, and
// when the clipped area would hold more than `cellLimit` cells.
// With decodeSharedStrings false, a shared-string cell keeps only its index (Cell::sharedString).
AreaCells readAreaCells(std::span<const std::byte> stream, const WorkbookGlobals &globals,
                        int sheet, const Area &area, std::size_t cellLimit,
                        bool decodeSharedStrings);

} // namespace zort::xls
