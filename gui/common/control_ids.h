#pragma once

// Control ids of the main window and its dialogs. Each Qt widget carries its id as its
// object name ("1006"), so tests and tools find it; the Win32 dialogs use the same numbers.
// Where each control sits is in gui/common/dialog_description.cpp.

namespace stravener::gui {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;  // the main window's Exit button

// Main window.
constexpr int kIdLog = 1002;
constexpr int kIdOpenPort = 1006;
constexpr int kIdClosePort = 1007;
constexpr int kIdUpgrade = 1008;
constexpr int kIdAbout = 1009;
constexpr int kIdInformation = 1010;
constexpr int kIdRestart = 1011;
constexpr int kIdReadTrack = 1012;
constexpr int kIdEraseTrack = 1013;
constexpr int kIdConfiguration = 1014;
constexpr int kIdProgress = 1015;
constexpr int kIdLanguage = 1016;
constexpr int kIdSetup = 1021;

// Setup dialog.
constexpr int kIdPortList = 1005;
constexpr int kIdSpeedList = 1023;
constexpr int kIdFindLogger = 1024;

// About dialog.
constexpr int kIdVersionText = 1001;
constexpr int kIdBuildText = 1003;
constexpr int kIdContactLine = 1004;

// Configuration dialog: the check box "Skip " and the number field.
constexpr int kSkipCheckBoxId = 1017;
constexpr int kSkipCountFieldId = 1018;

// The caption of the main window and of every message box, in both languages.
inline constexpr const char* kCaption = "Stravener Tool";

}  // namespace stravener::gui
