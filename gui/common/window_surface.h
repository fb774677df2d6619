#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/event_log.h"
#include "gui/common/setup_lists.h"
#include "gui/common/window_host.h"

namespace stravener::gui {

class ConfigurationDialog;

// The three message boxes of the window, all with the caption "Stravener Tool".
enum class MessageKind {
  Notice,    // no icon, an OK button
  Question,  // the question icon, OK and Cancel
  Warning,   // the exclamation icon, an OK button
};

enum class FileChoiceKind {
  Save,  // asks before replacing an existing file and wants the folder to exist
  Open,  // an existing file
};

// The flag on the language button: that of the language it switches to.
enum class LanguageFlag { None, Polish, British };

// How the window ends: OK (Enter away from the buttons, the language button) or Cancel
// (Exit, the close box).
enum class WindowEnd { Ok, Cancel };

// What the Setup dialog works on: the services it asks, and copies of the port number and
// the speed limit, which it changes only with Save.
struct SetupChoice {
  SetupServices services;
  uint32_t portNumber;
  uint32_t speedLimit;
};

// What a front end's main window gives the window session: its controls, its message
// boxes, file choices and dialogs, drawn by its toolkit. The session decides what is shown
// and when; the surface only shows it.
class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  // A control of the main window (MainWindowControls) enabled or disabled.
  virtual void EnableControl(int id, bool enabled) = 0;
  // The keyboard focus to a control.
  virtual void FocusControl(int id) = 0;
  virtual void ShowLanguageFlag(LanguageFlag flag) = 0;
  // A line added to the event log; when droppedOldest, the oldest line shown goes.
  virtual void AppendLogLine(const LogEntry& entry, bool droppedOldest) = 0;
  // The progress bar, in the range the bar holds.
  virtual void SetProgressRange(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // The text shown in the progress bar (the percentage and the time left); empty: none.
  virtual void SetProgressText(const std::string& text) = 0;
  // Brings the window up to date at once. While a command runs it is called from inside
  // the command, outside the toolkit's loop.
  virtual void Repaint(bool commandRunning) = 0;

  // A command starts: the window drops user input until CommandEnding, but for Escape
  // (PressEscape), Exit and the close box (RequestClose), which go to the session.
  virtual void CommandStarting() {}
  // A command has returned and the window is still busy: input that arrived meanwhile
  // goes now, undone (Escape and a close too).
  virtual void CommandEnding() {}
  // The window takes input again.
  virtual void CommandEnded() {}

  // A message box of this kind; true when it ended with OK. Enter presses defaultButton
  // where the box has it (a notice and a warning have OK only).
  virtual bool ShowMessage(MessageKind kind, const std::string& text, DefaultButton defaultButton) = 0;
  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseFile(FileChoiceKind kind, const FileChoice& choice) = 0;
  // The dialogs, modal; true when they ended with Save.
  virtual bool RunConfigurationDialog(ConfigurationDialog& dialog) = 0;
  virtual bool RunSetupDialog(SetupChoice& choice) = 0;
  virtual void RunAboutDialog() = 0;

  // Ends the window; it closes once the command that ends it has returned.
  virtual void EndWindow(WindowEnd end) = 0;
};

}  // namespace stravener::gui
