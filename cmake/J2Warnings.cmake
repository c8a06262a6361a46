# Warnings are errors in our own code only; Qt and hidapi headers come in as system headers.
function(j2_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        -Wno-sign-conversion -Werror)
endfunction()
