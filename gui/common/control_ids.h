#pragma once

// Control ids of the main window and its dialogs. Each Qt widget carries its id as its
// object name ("1006"), so tests and tools find it; the Win32 dialog templates use the
// same numbers. The STRAVENER_IDC_ macros are for resource scripts, which this header
// also serves (windres defines RC_INVOKED); C++ code uses the constants below.

#define STRAVENER_IDC_OK 1
#define STRAVENER_IDC_CANCEL 2

// Main window.
#define STRAVENER_IDC_LOG 1002
#define STRAVENER_IDC_OPEN_PORT 1006
#define STRAVENER_IDC_CLOSE_PORT 1007
#define STRAVENER_IDC_UPGRADE 1008
#define STRAVENER_IDC_ABOUT 1009
#define STRAVENER_IDC_INFORMATION 1010
#define STRAVENER_IDC_RESTART 1011
#define STRAVENER_IDC_READ_TRACK 1012
#define STRAVENER_IDC_ERASE_TRACK 1013
#define STRAVENER_IDC_CONFIGURATION 1014
#define STRAVENER_IDC_PROGRESS 1015
#define STRAVENER_IDC_LANGUAGE 1016
#define STRAVENER_IDC_SETUP 1021

// Setup dialog.
#define STRAVENER_IDC_PORT_LIST 1005
#define STRAVENER_IDC_SPEED_LIST 1023
#define STRAVENER_IDC_FIND_LOGGER 1024

// About dialog.
#define STRAVENER_IDC_VERSION_TEXT 1001
#define STRAVENER_IDC_BUILD_TEXT 1003
#define STRAVENER_IDC_CONTACT_LINE 1004

// Configuration dialog: the check box "Skip " and the number field (gui/common/configuration_dialog.h
// names them kSkipCheckBoxId and kSkipCountFieldId).
#define STRAVENER_IDC_SKIP_BOX 1017
#define STRAVENER_IDC_SKIP_COUNT 1018

#ifndef RC_INVOKED

namespace stravener::gui {

constexpr int kIdOk = STRAVENER_IDC_OK;
constexpr int kIdCancel = STRAVENER_IDC_CANCEL;  // the main window's Exit button

// Main window.
constexpr int kIdOpenPort = STRAVENER_IDC_OPEN_PORT;
constexpr int kIdClosePort = STRAVENER_IDC_CLOSE_PORT;
constexpr int kIdUpgrade = STRAVENER_IDC_UPGRADE;
constexpr int kIdAbout = STRAVENER_IDC_ABOUT;
constexpr int kIdInformation = STRAVENER_IDC_INFORMATION;
constexpr int kIdRestart = STRAVENER_IDC_RESTART;
constexpr int kIdReadTrack = STRAVENER_IDC_READ_TRACK;
constexpr int kIdEraseTrack = STRAVENER_IDC_ERASE_TRACK;
constexpr int kIdConfiguration = STRAVENER_IDC_CONFIGURATION;
constexpr int kIdProgress = STRAVENER_IDC_PROGRESS;
constexpr int kIdLanguage = STRAVENER_IDC_LANGUAGE;
constexpr int kIdLog = STRAVENER_IDC_LOG;
constexpr int kIdSetup = STRAVENER_IDC_SETUP;

// Setup dialog.
constexpr int kIdPortList = STRAVENER_IDC_PORT_LIST;
constexpr int kIdSpeedList = STRAVENER_IDC_SPEED_LIST;
constexpr int kIdFindLogger = STRAVENER_IDC_FIND_LOGGER;

// About dialog.
constexpr int kIdVersionText = STRAVENER_IDC_VERSION_TEXT;
constexpr int kIdBuildText = STRAVENER_IDC_BUILD_TEXT;
constexpr int kIdContactLine = STRAVENER_IDC_CONTACT_LINE;

// The caption of the main window and of every message box, in both languages.
inline constexpr const char* kCaption = "Stravener Tool";

}  // namespace stravener::gui

#endif  // RC_INVOKED
