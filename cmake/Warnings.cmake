# Warnings are on for every target of the project. They are errors only where asked
# (STRAVENER_WERROR, which the project's own scripts and CI switch on): a user's or a
# packager's build with another compiler or another optimisation level must not fail on a
# warning that compiler happens to give.
option(STRAVENER_WERROR "Treat compiler warnings as errors (the project's scripts and CI)" OFF)

function(stravener_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(STRAVENER_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(STRAVENER_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      # g++ 12 at -O3 warns about the standard library's own inlined copies (std::vector
      # insert and resize, std::string concatenation) with impossible sizes such as
      # 9223372036854775810 bytes; those warnings say nothing about our code (GCC bugs
      # 105329, 105651, 106199).
      target_compile_options(${target} PRIVATE -Wno-restrict -Wno-array-bounds -Wno-stringop-overflow
                             -Wno-stringop-overread)
    endif()
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      # LOG_TEXT picks its format from a text pair at run time; the compiler has checked
      # both texts where they are written, which clang's format-security cannot see.
      target_compile_options(${target} PRIVATE -Wno-format-security)
    endif()
  endif()
endfunction()
