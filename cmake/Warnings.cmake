# Every target of ours builds with the same strict warnings; a warning is an error.
function(zort_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GCC" OR CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC 12 reports std::string concatenation inlined at -O2/-O3 as overlapping copies
        # (GCC bug 105329): a false alarm that would fail every optimised build.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
