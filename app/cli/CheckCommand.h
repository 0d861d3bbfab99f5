#pragma once

#include <QString>

#include <iosfwd>
#include <vector>

namespace zort {
struct DocumentEntry;
}

namespace zort::cli {

struct CheckOptions
{
    QString reportFile; // empty: print the report's text
    bool json = false;
};

// One checking run over the entries with the checking core. The report is written to
// reportFile, or to a temporary file whose text is then printed in UTF-8 with "\n" line ends;
// --json prints the blocks as JSON instead. Errors go to err. Returns the exit status.
int runCheckCommand(const std::vector<DocumentEntry> &entries, const CheckOptions &options,
                    std::ostream &out, std::ostream &err);

} // namespace zort::cli
