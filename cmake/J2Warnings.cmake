# Warnings for our own code; Qt and hidapi headers come in as system headers. Each compiler gets the set it
# understands. They stop the build only where we choose the compiler (developer and CI builds turn
# J2_WARNINGS_AS_ERRORS on): a packager's newer compiler may bring warnings of its own, and must not fail a
# release build over them.
option(J2_WARNINGS_AS_ERRORS "Treat compiler warnings in our code as errors" OFF)

function(j2_warnings target)
    if(MSVC)
        # /W4 with the standard's rules (/permissive-); 4127 (constant conditions) fires on Qt's macros.
        set(warnings /W4 /permissive- /wd4127)
        set(as_errors /WX)
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # Clang's -Wshadow leaves constructor parameters alone, as our member-initialising constructors want;
        # its -Wextra lacks the fall-through check GCC's has.
        set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Wimplicit-fallthrough)
        set(as_errors -Werror)
    elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
        set(as_errors -Werror)
    else()
        set(warnings "")
        set(as_errors "")
    endif()
    if(J2_WARNINGS_AS_ERRORS)
        list(APPEND warnings ${as_errors})
    endif()
    target_compile_options(${target} PRIVATE ${warnings})
endfunction()
