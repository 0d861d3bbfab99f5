#pragma once

#include "WorkbookGlobals.h"

#include <cstddef>
#include <span>

namespace zort::xls {

// Reads the globals substream at the start of a workbook stream: version, sheets, shared
// strings, cell formats, link tables and defined names. Throws FormatError: NotAWorkbook when
// the stream does not start with a BOF record, UnsupportedVersion for BIFF2-4,
// PasswordProtected at FILEPASS, Corrupt for damaged records.
// The returned object points into `stream`, which must outlive it.
WorkbookGlobals readWorkbookGlobals(std::span<const std::byte> stream);

} // namespace zort::xls
