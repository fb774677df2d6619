# {fmt} (Debian: libfmt-dev), the printf formatting of every text (app/format.h).
#   Linux:   the Debian library, linked.
#   Windows: header-only (FMT_HEADER_ONLY) from the same Debian headers, which are the same
#            for every platform. The cross compiler must not see the rest of /usr/include,
#            so it gets a folder of the build that holds only a link to /usr/include/fmt.
# Either way the target stravener_fmt brings it.
add_library(stravener_fmt INTERFACE)
if(WIN32)
  find_path(STRAVENER_FMT_HEADERS fmt/printf.h PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT STRAVENER_FMT_HEADERS)
    message(FATAL_ERROR "{fmt}'s headers are not in /usr/include/fmt: install libfmt-dev")
  endif()
  set(fmt_include ${PROJECT_BINARY_DIR}/fmt-include)
  file(MAKE_DIRECTORY ${fmt_include})
  file(CREATE_LINK ${STRAVENER_FMT_HEADERS}/fmt ${fmt_include}/fmt SYMBOLIC)
  # A system folder: the warnings of {fmt}'s own code are not ours.
  target_include_directories(stravener_fmt SYSTEM INTERFACE ${fmt_include})
  target_compile_definitions(stravener_fmt INTERFACE FMT_HEADER_ONLY)
else()
  find_package(fmt 9 REQUIRED CONFIG)
  target_link_libraries(stravener_fmt INTERFACE fmt::fmt)
endif()
