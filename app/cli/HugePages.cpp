#include "HugePages.h"

#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace zort::cli {

void restartWithHugePages(char **argv)
{
#if defined(__linux__) && defined(__GLIBC__)
    // Set means: the user's own choice, or this is the started-again process.
    if (std::getenv("GLIBC_TUNABLES") != nullptr)
        return;
    if (::setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Not started again: go on as we are, and leave the environment as it was.
    ::unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}

} // namespace zort::cli
