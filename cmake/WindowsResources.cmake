# The Windows version information of a program: file and product version from the project's
# version, "Stravener Tool" (the project's description) as file description and product
# name. Does nothing on other platforms.
#
#   stravener_version_resource(stravener)
function(stravener_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  set(STRAVENER_RC_NAME ${target})
  set(STRAVENER_RC_FILE ${target}.exe)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
