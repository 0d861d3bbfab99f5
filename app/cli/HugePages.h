#pragma once

namespace zort::cli {

// On Linux with glibc: starts the program once more, at once, with the allocator asked to back
// its heap with transparent huge pages. A large form's cells and file bytes take tens of
// megabytes, and faulting them in 4 KiB pages costs more time than reading them; with 2 MiB
// pages the whole check of such a form runs in about two thirds of the time. Returns (and does
// nothing) where that is not possible or the user has set allocator tunables of their own.
void restartWithHugePages(char **argv);

} // namespace zort::cli
