# The packages of the programs, made with CPack from what `cmake --install` puts in place:
#   Linux:   a Debian package (DEB) with stravener, stravener-tool with its desktop entry
#            and icon, stravener-sim, the README and the licence (as the package's
#            copyright file); the libraries it needs found by dpkg-shlibdeps (dpkg-dev).
#   Windows: an installer (NSIS, from our own template cmake/NSIS.template.in, in Polish and
#            English) with stravener-tool.exe, stravener.exe, the README and the licence in
#            one folder, a Start menu entry, an uninstaller and the PATH on request; and a
#            plain zip of the same files.
# scripts/package builds them (`cpack --config build/CPackConfig.cmake`).

set(CPACK_PACKAGE_NAME "stravener-tool")
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_CONTACT "Quillet <stravener@quillet.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for the Stravener GPS track logger")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the logged track out of a Stravener GPS track logger over a serial port and saves it raw or as an OziExplorer PLT file, converts saved raw files offline, shows the logger's serial number, firmware and memory use, changes its setting, erases its memory, restarts it and loads new firmware. In Polish and in English. With stravener-tool, the desktop program, stravener, the command line, and stravener-sim, a simulated logger to try them without one.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Stravener Tool")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME "stravener-tool-${PROJECT_VERSION}-windows-x64")
  # The installer's script: cmake/NSIS.template.in, found on the module path.
  list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
  set(CPACK_NSIS_PACKAGE_NAME "Stravener Tool")
  set(CPACK_NSIS_DISPLAY_NAME "Stravener Tool")
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/gui/win32/res/program.ico)
  # The 64-bit programs go to "Program Files", not "Program Files (x86)".
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # A 64-bit installer for the 64-bit programs: it runs where only 64-bit Windows programs
  # do (a 64-bit Wine without its 32-bit half, for one).
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_UNINSTALL_NAME "Uninstall")
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME}
          RENAME copyright)
  set(CPACK_GENERATOR "DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # What no library link shows: the desktop program needs a platform plugin to open a
  # window, and shows the file dialogs' own texts in Polish with the translations.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()

include(CPack)
