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

# The application manifest of a Windows program (res/program.manifest, resource 1 of type
# RT_MANIFEST): the common controls of version 6, per-monitor DPI awareness (PerMonitorV2)
# and UTF-8 as the active code page. Does nothing on other platforms.
#
#   stravener_program_manifest(stravener)
function(stravener_program_manifest target)
  if(NOT WIN32)
    return()
  endif()
  set(manifest ${PROJECT_SOURCE_DIR}/res/program.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "1 24 \"${manifest}\"\n")
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
  if(MSVC)
    # The linker would add a manifest of its own beside it.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
