#pragma once

namespace zort::cli {

// zort-check's exit statuses.
enum ExitStatus : int {
    AllPassed = 0, // every entry recognised, no check failed
    ChecksFailed = 1, // a check failed or an entry was not recognised
    RunFailed = 2, // the run ended with an error, or there was nothing to check
    UsageError = 64, // wrong command line (as sysexits' EX_USAGE)
};

} // namespace zort::cli
