# Warnings are on and treated as errors for every target of the project.
function(stravener_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      # LOG_TEXT picks its format from a text pair at run time; the compiler has checked
      # both texts where they are written, which clang's format-security cannot see.
      target_compile_options(${target} PRIVATE -Wno-format-security)
    endif()
  endif()
endfunction()
