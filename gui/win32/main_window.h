#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/common/window_session.h"
#include "gui/common/window_surface.h"
#include "gui/win32/event_log_list.h"

namespace stravener::win32 {

// The program's one window, a modal dialog built from its description (gui/common):
// the command buttons, the event log, the progress bar, and the Setup, About and language
// buttons. Its window session runs the commands; the window draws them with the Win32
// controls, as the session's surface, and passes on the clicks, keys and dropped files.
class MainWindow : public gui::WindowSurface {
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

  // The session's event log, for the tests.
  EventLog& Log() { return session_->Log(); }

  // WindowSurface.
  void EnableControl(int id, bool enabled) override;
  void FocusControl(int id) override;
  void ShowLanguageFlag(gui::LanguageFlag flag) override;
  void AppendLogLine(const LogEntry& entry, bool droppedOldest) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetProgressText(const std::string& text) override;
  void Repaint(bool commandRunning) override;
  void CommandEnded() override;
  bool ShowMessage(gui::MessageKind kind, const std::string& text, gui::DefaultButton defaultButton) override;
  std::optional<std::string> ChooseFile(gui::FileChoiceKind kind, const gui::FileChoice& choice) override;
  bool RunConfigurationDialog(gui::ConfigurationDialog& dialog) override;
  bool RunSetupDialog(gui::SetupChoice& choice) override;
  void RunAboutDialog() override;
  void EndWindow(gui::WindowEnd end) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardFilter(int code, WPARAM wParam, LPARAM lParam);
  // Draws the progress text over the bar after the bar's own painting.
  static LRESULT CALLBACK ProgressProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void InitDialog();
  // The small icon and the log pictures at this scale (dots per inch, 96 = 100 %).
  void LoadScaledPictures(UINT dpi);
  // The window is now at another scale.
  void Rescale(UINT dpi);
  // Places the controls for the window's size: the log and the progress bar grow with it.
  void LayOutControls();
  void AddTooltips();
  bool AnswerTooltip(NMTTDISPINFOW& request);
  void PaintIconic();
  void DropFiles(HDROP drop);
  // While a command runs: takes the queued messages, passing on what stops the command
  // (Escape, Exit, the close box) and dropping any other input.
  void PumpDuringCommand();
  // Whether a message taken while a command runs is to be dispatched; Escape and a close
  // request go to the session here.
  bool PassDuringCommand(const MSG& message);
  void PaintProgressText(HWND bar) const;

  HINSTANCE instance_;
  std::unique_ptr<gui::WindowSession> session_;
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
  std::wstring progressText_;
  // The user's session ends: nothing more is answered until the command has returned.
  bool sessionEnding_ = false;
  std::wstring tipText_;  // the tip last given
};

}  // namespace stravener::win32
