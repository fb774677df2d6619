#pragma once

#include <optional>
#include <string>

#include "app/host.h"

namespace stravener::gui {

class ConfigurationDialog;

// What a file choice asks for: the texts are those of the current language. The filter is
// in the form "Track files (*.plt)|*.plt|All files (*.*)|*.*||" (label, pattern, ... ).
struct FileChoice {
  std::string title;
  std::string filter;
  std::string defaultExtension;  // without the dot; appended when the user types none
  std::string defaultName;       // may be empty
};

// The button of a question that Enter (or the default answer) presses.
enum class DefaultButton { Ok, Cancel };

// What a command of the desktop window needs besides the core's sink: the window's message
// boxes, file choices and dialogs. The operations of the core never ask the user anything;
// the command that calls them asks here, at its moment in the command's order.
class WindowHost : public Host {
 public:
  // A notice with the caption "Stravener Tool", an OK button and no icon.
  virtual void ShowNotice(const std::string& text) = 0;
  // A question with OK and Cancel and the question icon; true for OK. Enter presses
  // defaultButton.
  virtual bool AskOkCancel(const std::string& text, DefaultButton defaultButton) = 0;
  // A warning with the exclamation icon and an OK button.
  virtual void ShowWarning(const std::string& text) = 0;

  // A save-file choice that asks before replacing an existing file and wants the folder to
  // exist; the chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const FileChoice& choice) = 0;
  // An open-file choice for an existing file; the full path, or nothing.
  virtual std::optional<std::string> ChooseOpenFile(const FileChoice& choice) = 0;

  // Runs the logger configuration dialog modally; true when it ended with Save.
  virtual bool RunConfigurationDialog(ConfigurationDialog& dialog) = 0;
};

}  // namespace stravener::gui
