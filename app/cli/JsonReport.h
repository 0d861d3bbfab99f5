#pragma once

#include "ReportBlock.h"

#include <string>
#include <vector>

namespace zort::cli {

// The run's blocks as one JSON object:
// {"entries": [{"path", "code", "recognised", "captions": [line 3, line 4],
//               "failedChecks": [{"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name"}]}]}
// "captions" is empty when the block has no caption lines.
std::string jsonReport(const std::vector<ReportBlock> &blocks);

} // namespace zort::cli
