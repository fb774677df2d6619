# The packages of the programs, made with CPack from what `cmake --install` puts in place:
#   Linux:   a Debian package (DEB) with stravener, stravener-tool with its desktop entry
#            and icon, stravener-sim and the README; the libraries it needs found by
#            dpkg-shlibdeps (dpkg-dev).
#   Windows: an NSIS installer with stravener-tool.exe, stravener.exe and the README, a
#            Start menu entry and an uninstaller; and a plain zip of the same files.
# scripts/package builds them (`cpack --config build/CPackConfig.cmake`).

include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME "stravener-tool")
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_CONTACT "Quillet <stravener@quillet.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for the Stravener GPS track logger")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the logged track out of a Stravener GPS track logger over a serial port and saves it raw or as an OziExplorer PLT file, converts saved raw files offline, shows the logger's serial number, firmware and memory use, changes its setting, erases its memory, restarts it and loads new firmware. In Polish and in English. With stravener-tool, the desktop program, stravener, the command line, and stravener-sim, a simulated logger to try them without one.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Stravener Tool")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME "stravener-tool-${PROJECT_VERSION}-windows-x64")
  set(CPACK_NSIS_DISPLAY_NAME "Stravener Tool")
  set(CPACK_NSIS_PACKAGE_NAME "Stravener Tool")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\stravener-tool.exe")
  set(CPACK_NSIS_MENU_LINKS "bin/stravener-tool.exe" "Stravener Tool")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # The 64-bit programs go to "Program Files", not "Program Files (x86)".
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
  # A 64-bit installer for the 64-bit programs: it runs where only 64-bit Windows programs
  # do (a 64-bit Wine without its 32-bit half, for one).
  set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
  set(CPACK_NSIS_UNINSTALL_NAME "Uninstall")
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
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
