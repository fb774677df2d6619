#pragma once

#include <span>

namespace stravener::gui {

// A control's place in a dialog template, in dialog units.
struct DialogRect {
  int x;
  int y;
  int width;
  int height;
};

// When a control of the main window is enabled (UpdateButtonStates).
enum class EnabledWhen { PortClosed, PortOpen, Always };

enum class ControlKind {
  PushButton,   // a command button with a label
  FlagButton,   // the language button: a push button showing a flag instead of text
  EventLog,     // the report-view list of log lines
  ProgressBar,
};

// One control of the main window. None of the buttons is the default button; every button
// is a tab stop, the log and the progress bar are not.
struct MainWindowControl {
  int id;
  ControlKind kind;
  const char* polish;   // the label, UTF-8; "&" marks the next letter as the access key
  const char* english;  // empty texts for controls without a label
  DialogRect place;
  EnabledWhen enabledWhen;
};

// The main window's size in dialog units; its caption is kCaption in both languages.
inline constexpr int kMainWindowWidth = 247;
inline constexpr int kMainWindowHeight = 228;

// The main window's controls in their tab order, as the dialog templates have them. At
// creation each is enabled as ControlEnabled gives for a closed port.
std::span<const MainWindowControl> MainWindowControls();


// The button-state rule: Setup and Open port are enabled exactly while the port is closed,
// the seven logger commands from Close port to Restart exactly while it is open, and Exit,
// About, the language button, the log and the progress bar always.
bool ControlEnabled(const MainWindowControl& control, bool portOpen);

// The focus rule that follows every update of the button states: Close port while the port
// is open, Open port while it is closed.
int FocusedControlId(bool portOpen);

}  // namespace stravener::gui
