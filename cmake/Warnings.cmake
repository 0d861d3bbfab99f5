# Every target of ours builds with the same strict warnings; a warning is an error.
function(zort_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
