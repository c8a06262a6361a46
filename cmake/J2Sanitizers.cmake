# J2_SANITIZE is a comma list handed to -fsanitize=, e.g. "address,undefined" or "thread".
set(J2_SANITIZE "" CACHE STRING "Sanitizers for the whole build (address,undefined or thread)")
if(J2_SANITIZE)
    add_compile_options(-fsanitize=${J2_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${J2_SANITIZE})
endif()
