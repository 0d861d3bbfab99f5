#pragma once

#include "CellFormats.h"
#include "SharedStrings.h"
#include "Workbook.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zort::xls {

// A sheet as BOUNDSHEET lists it.
struct SheetEntry
{
    std::string name;
    std::uint32_t offset = 0; // of the sheet's BOF record in the workbook stream
    std::uint8_t type = 0; // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

// One reference of a BIFF8 EXTERNSHEET record: a range of sheets in the book of a SUPBOOK.
struct ExternSheetEntry
{
    std::uint16_t supBook = 0;
    std::uint16_t firstSheet = 0;
    std::uint16_t lastSheet = 0;
};

// What the workbook globals substream tells us, kept for reading sheets later.
struct WorkbookGlobals
{
    BiffVersion version = BiffVersion::Biff8;
    std::uint16_t codePage = 1252; // only BIFF5 texts depend on it
    std::vector<SheetEntry> sheets;
    SharedStrings strings;
    CellFormats formats;
    std::vector<ExternSheetEntry> externSheets;
    std::vector<bool> supBookInternal; // per SUPBOOK, in order: is it this workbook?
    std::vector<DefinedName> names;
};

} // namespace zort::xls
