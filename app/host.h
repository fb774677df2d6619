#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "platform/clock.h"

namespace stravener {

class ConfigurationDialog;

// What a file choice asks for: the texts are those of the current language. The filter is
// in the form "Track files (*.plt)|*.plt|All files (*.*)|*.*||" (label, pattern, ... ).
struct FileChoice {
  std::string title;
  std::string filter;
  std::string defaultExtension;  // without the dot; appended when the user types none
  std::string defaultName;       // may be empty
};

// Everything an operation needs from the window it runs in. The desktop window implements
// it with widgets, the command line with the terminal and its options, tests with
// recorders. Every operation runs to its end inside one call from the front end.
class Host {
 public:
  virtual ~Host() = default;

  virtual EventLog& Log() = 0;

  // The progress bar: a range 0..maximum and a position.
  virtual void SetProgressRange(uint32_t maximum) = 0;
  virtual void SetProgressPosition(uint32_t position) = 0;
  // Shows what changed (log lines, progress) at once, while the operation goes on.
  virtual void Repaint() = 0;

  // A notice with the caption "Stravener Tool", an OK button and no icon.
  virtual void ShowNotice(const std::string& text) = 0;
  // A question with OK and Cancel and the question icon; true for OK.
  virtual bool AskOkCancel(const std::string& text) = 0;
  // A warning with the exclamation icon and an OK button.
  virtual void ShowWarning(const std::string& text) = 0;

  // A save-file choice that asks before replacing an existing file and wants the folder to
  // exist; the chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const FileChoice& choice) = 0;
  // An open-file choice for an existing file; the full path, or nothing.
  virtual std::optional<std::string> ChooseOpenFile(const FileChoice& choice) = 0;
  // The files a run writes in place of the one chosen (the day files of a track split by
  // day), known only once its records have been read, before any of them is created: true
  // when all may be written; false after telling the user why not. Here any that exists
  // is refused ("The file %s already exists."); the command line replaces them with
  // --force, and refuses one named for two of its files.
  virtual bool ApproveOutputFiles(const std::vector<std::string>& paths);

  // Runs the logger configuration dialog modally; true when it ended with Save.
  virtual bool RunConfigurationDialog(ConfigurationDialog& dialog) = 0;

  // Dates, sleeps and the transfer stopwatch; tests replace it.
  virtual Clock& GetClock() { return SystemClock(); }
};

}  // namespace stravener
