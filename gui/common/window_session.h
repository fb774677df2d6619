#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "gui/common/operations.h"
#include "gui/common/setup_lists.h"
#include "gui/common/window_host.h"
#include "gui/common/window_surface.h"
#include "link/port_connection.h"
#include "platform/clock.h"

namespace stravener::gui {

// The flag the language button shows in the current language.
LanguageFlag LanguageButtonFlag();

// What happens in the program's one window, the same in both desktop programs; the front
// end's surface only draws it. The session owns the port connection for the window's whole
// life, the event log and the port settings (loaded at its start, stored when Setup is
// saved; at its end an open port is closed without a word and the settings are stored
// again). It runs each command of the window to its end, one at a time: while a logger
// command runs, every button but Exit is disabled, and of what the user does only Escape,
// Exit and the close box count (they stop the command at its next safe point); any other
// click, key or drop that arrives meanwhile is dropped, never acted on later. While the
// progress bar moves it shows the percentage and the time left. It is the WindowHost its
// commands report and ask through.
class WindowSession : public WindowHost {
 public:
  // The commands run `operations`, Setup asks `setupServices`, the port is opened through
  // `opener` and dates and pauses come from `clock`: the core's and the machine's own, or
  // test doubles. Loads the stored port settings; asks nothing of the surface yet.
  WindowSession(WindowSurface& surface, Operations operations = DefaultOperations(),
                SetupServices setupServices = DefaultSetupServices(), SerialOpener opener = SystemSerialOpener(),
                Clock& clock = SystemClock());
  // Closes an open port without a log line and stores the settings: the speed limit
  // stored is the one in force, lowered by the last opening.
  ~WindowSession() override;
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // The surface's controls exist: the log lines and the button states go to them from now
  // on, and the language button shows its flag. Detach before the controls go.
  void Attach();
  void Detach();

  // Enables Setup and Open port while the port is closed, the seven logger commands while
  // it is open, and gives the focus to Close port or Open port accordingly. While a logger
  // command runs, only Exit is enabled, and it has the focus.
  void UpdateButtonStates();

  // Runs the command of a control id, as a click on it does: the logger commands, Setup,
  // About, the language button, Exit (kIdCancel) and OK (kIdOk, Enter away from the
  // buttons). While another command runs nothing starts; Exit then asks to stop and close
  // (RequestClose).
  void RunCommand(int id);
  // Escape: while a logger command runs, asks it to stop at its next safe point, and the
  // window stays open to show how it ended; an upgrade asks the user first, since a stopped
  // upgrade leaves the logger without firmware. At any other time nothing.
  void PressEscape();
  // Exit or the close box: ends the window. While a logger command runs, asks first; on
  // OK the command is asked to stop and the window ends once it has returned.
  void RequestClose();
  // Files dropped on the window: exactly one .upg or .bin file is acted on. Nothing happens
  // while a command runs.
  void DropFiles(const std::vector<std::string>& paths);

  // True while a command runs.
  bool Busy() const { return busy_; }

  // The user's session ends and the program with it, perhaps without the destructor: an
  // open port is closed without a word (unless a command still uses it) and the settings
  // are stored.
  void StoreAtSessionEnd();

  PortConnection& Connection() { return connection_; }
  bool PortOpen() const { return connection_.openFlag != 0; }
  uint32_t PortNumber() const { return connection_.portNumber; }
  uint32_t SpeedLimit() const { return connection_.speedLimit; }

  // WindowHost: the sink of the operations, and their questions, file choices and dialog.
  EventLog& Log() override { return log_; }
  void SetProgressRange(uint32_t maximum) override;
  void SetProgressPosition(uint32_t position) override;
  void Repaint() override;
  Clock& GetClock() override { return clock_; }
  void ShowNotice(const std::string& text) override;
  bool AskOkCancel(const std::string& text, DefaultButton defaultButton) override;
  void ShowWarning(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
  std::optional<std::string> ChooseOpenFile(const FileChoice& choice) override;
  bool RunConfigurationDialog(ConfigurationDialog& dialog) override;

 private:
  // What runs: a dialog of the window (modal, so the window takes no input anyway), a
  // logger command, or a firmware upgrade (whose stop the user confirms).
  enum class Running { Nothing, Dialog, Command, Upgrade };

  // Marks the session busy for one command and lets the surface drop the input that
  // arrives meanwhile. After a logger command the buttons come back, a stop this session
  // requested is forgotten, and a close the user confirmed ends the window.
  void RunBusy(Running kind, const std::function<void()>& command);
  // Asks the user a stop question while a command runs; false when declined, or when
  // another one is open already.
  bool ConfirmStop(const char* polish, const char* english, DefaultButton defaultButton);
  // Asks the running command to stop at its next safe point.
  void StopCommand();
  void ShowProgressText(const std::string& text);
  void RunSetup();
  void SwitchLanguage();

  WindowSurface& surface_;
  Operations operations_;
  SetupServices setupServices_;
  Clock& clock_;
  EventLog log_;
  PortConnection connection_;
  bool attached_ = false;
  bool busy_ = false;
  Running running_ = Running::Nothing;  // Nothing again once the command has returned
  bool asking_ = false;                 // a stop question is open
  bool stopOwned_ = false;              // the stop request is this session's, from Escape or a close
  bool closeAfterCommand_ = false;
  int progressShift_ = 0;  // a range above what the bar holds is scaled down by this
  uint32_t progressMaximum_ = 0;
  int64_t progressStart_ = 0;  // the clock's count when the range was set
  std::string progressText_;
};

}  // namespace stravener::gui
