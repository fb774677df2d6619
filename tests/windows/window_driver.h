#pragma once

// The Windows desktop program's main window, run from the program's own library on a
// thread of the calling program and driven from outside the way the system drives it:
// with the messages that clicks, keys and drops send, its state read back with the window
// system's own calls. The tests and the screenshot program use it.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace stravener::win32 {
class MainWindow;
}

class WindowDriver {
 public:
  // Starts the main window in this language (0 Polish, 1 English) and waits until it shows.
  explicit WindowDriver(int language);
  // Ends the window with Exit when it still runs, and waits for its thread.
  ~WindowDriver();
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  // The main window; null when it did not show.
  HWND Main() const { return main_; }
  HWND Item(int id) const { return GetDlgItem(main_, id); }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // The control id of the keyboard focus in the window's thread; 0 for none.
  int FocusId() const;

  // A click on a button, posted: the command runs while the caller goes on.
  void Click(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }
  // A click that returns once the command has run to its end.
  void ClickAndWait(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  // Files dropped from the shell onto the main window (an HDROP of this process).
  void DropFiles(const std::vector<std::wstring>& paths) const;

  // A visible dialog or message box of the window's thread with this caption, other than
  // the main window, once it shows; null after the timeout.
  HWND AwaitWindow(const std::wstring& caption, int timeoutMs = 10000) const;
  // The text of a message box.
  static std::string MessageBoxText(HWND box);

  // The event log's lines as the list shows them.
  std::vector<std::string> LogLines() const;
  // Waits until the log has a line that contains `part`; false after the timeout.
  bool AwaitLogLine(const std::string& part, int timeoutMs = 20000) const;

  // Waits until the window has ended: Run's result, or -2 after the timeout.
  intptr_t AwaitEnd(int timeoutMs = 10000);

  DWORD ThreadId() const { return threadId_; }

 private:
  std::thread thread_;
  std::atomic<DWORD> threadIdAtomic_{0};
  DWORD threadId_ = 0;
  HWND main_ = nullptr;
  std::atomic<bool> ended_{false};
  std::atomic<intptr_t> result_{-2};
};

// The text of a window or control (WM_GETTEXT, which also reaches other processes).
std::string WindowText(HWND window);
// The items of a drop-down list.
std::vector<std::string> ListItems(HWND list);
