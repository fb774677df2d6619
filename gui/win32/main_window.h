#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/event_log.h"
#include "gui/common/window_host.h"
#include "gui/common/operations.h"
#include "gui/common/setup_lists.h"
#include "gui/win32/event_log_list.h"
#include "link/port_connection.h"

namespace stravener::win32 {

// The program's one window, a modal dialog from template 148 (Polish) or 102 (English):
// the command buttons, the event log, the progress bar, and the Setup, About and language
// buttons. It owns the port connection for its whole life, runs each command to its end
// inside the click, accepts one dropped firmware image or binary track file at a time,
// and is the WindowHost its commands report and ask through. Its destruction closes an
// open port without a word and stores the settings.
class MainWindow : public gui::WindowHost {
 public:
  // Loads the icons, the shortcuts, the log pictures and the stored port settings. The
  // commands run `operations`, Setup asks `setupServices` and the port is opened through
  // `opener`: the core's and the machine's own, or test doubles.
  explicit MainWindow(HINSTANCE instance, gui::Operations operations = gui::DefaultOperations(),
                      gui::SetupServices setupServices = gui::DefaultSetupServices(),
                      SerialOpener opener = SystemSerialOpener());
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Runs the window modally until Exit, the close box, Enter on no button or the language
  // button ends it: DialogBoxParamW's result (IDOK, IDCANCEL), or -1 when the window
  // cannot be made.
  INT_PTR Run();

  // The window while it runs, else null.
  HWND Window() const { return window_; }

  // Enables Setup and Open port while the port is closed, the seven logger commands while
  // it is open, and gives the focus to Close port or Open port accordingly.
  void UpdateButtonStates();

  // WindowHost.
  EventLog& Log() override { return log_; }
  void SetProgressRange(uint32_t maximum) override;
  void SetProgressPosition(uint32_t position) override;
  void Repaint() override;
  void ShowNotice(const std::string& text) override;
  bool AskOkCancel(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const gui::FileChoice& choice) override;
  std::optional<std::string> ChooseOpenFile(const gui::FileChoice& choice) override;
  bool RunConfigurationDialog(gui::ConfigurationDialog& dialog) override;

  PortConnection& Connection() { return connection_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardFilter(int code, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void InitDialog();
  // The small icon and the log pictures at this scale (dots per inch, 96 = 100 %).
  void LoadScaledPictures(UINT dpi);
  // The flag on the language button, at the window's scale.
  void ShowLanguageFlag();
  // The window is now at another scale.
  void Rescale(UINT dpi);
  void AddTooltips();
  bool AnswerTooltip(NMTTDISPINFOW& request) const;
  void PaintIconic();
  void Command(int id);
  void DropFiles(HDROP drop);
  void SwitchLanguage();
  // Runs one command to its end; input that arrives meanwhile is dropped afterwards.
  void RunBusy(const std::function<void()>& command);
  // What ends the program with the user's session: the port closed, the settings stored.
  void EndWithSession();

  HINSTANCE instance_;
  gui::Operations operations_;
  gui::SetupServices setupServices_;
  EventLog log_;
  PortConnection connection_;
  EventLogList logList_;
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HICON largeIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HICON flagIcon_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HIMAGELIST pictures_ = nullptr;
  UINT dpi_ = 96;  // the scale the pictures were loaded for
  HHOOK keyboardFilter_ = nullptr;
  bool busy_ = false;
  bool stored_ = false;      // the settings were stored at the end of the session
  int progressShift_ = 0;    // a range above what the bar holds is scaled down by this
};

}  // namespace stravener::win32
