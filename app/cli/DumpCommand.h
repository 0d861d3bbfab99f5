#pragma once

#include <iosfwd>
#include <string>

namespace zort::cli {

// Prints what the reader sees in the workbook at `path` as one JSON object on `out`: its format,
// its sheets and every user-defined name with its area and table. Returns 0; when the file
// cannot be read, prints the reason on `err`, nothing on `out`, and returns 2.
int runDump(const std::string &path, std::ostream &out, std::ostream &err);

} // namespace zort::cli
