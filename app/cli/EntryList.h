#pragma once

#include "CheckRun.h"

#include <QStringList>

#include <vector>

namespace zort::cli {

// The run's entries for the command line's paths, each ticked and made absolute, in the order
// given. A folder stands for its ".xls" and ".xlt" files (extension in any case), in name
// order; anything else, a missing path included, is one entry as it stands.
std::vector<DocumentEntry> entriesFor(const QStringList &paths);

} // namespace zort::cli
