#include "window_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstring>

#include "app/language.h"
#include "gui/win32/main_window.h"
#include "gui/win32/wide_text.h"

using stravener::win32::Narrow;

namespace {

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

struct Search {
  HWND main;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  if (window == search->main || !IsWindowVisible(window)) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) != L"#32770") return TRUE;  // dialogs and message boxes only
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (*search->caption == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string WindowText(HWND window) {
  wchar_t text[4096] = {};
  const LRESULT length = SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return Narrow(text, static_cast<size_t>(length > 0 ? length : 0));
}

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    const LRESULT length = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(Narrow(text, static_cast<size_t>(length > 0 ? length : 0)));
  }
  return items;
}

WindowDriver::WindowDriver(int language) {
  stravener::Language = language;
  thread_ = std::thread([this] {
    threadIdAtomic_ = GetCurrentThreadId();
    {
      stravener::win32::MainWindow window(GetModuleHandleW(nullptr));
      result_ = window.Run();
    }  // stores the settings, as the program does
    ended_ = true;
  });
  for (int waited = 0; waited < 15000 && main_ == nullptr && !ended_; waited += 20) {
    threadId_ = threadIdAtomic_;
    if (threadId_ != 0) {
      const std::wstring caption = L"Stravener Tool";
      Search search{nullptr, &caption, nullptr};
      EnumThreadWindows(threadId_, FindCaption, reinterpret_cast<LPARAM>(&search));
      main_ = search.found;
    }
    if (main_ == nullptr) Pause();
  }
}

WindowDriver::~WindowDriver() {
  if (!ended_ && main_ != nullptr) PostMessageW(main_, WM_COMMAND, IDCANCEL, 0);
  if (thread_.joinable()) thread_.join();
}

int WindowDriver::FocusId() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId_, &info) || info.hwndFocus == nullptr) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

void WindowDriver::DropFiles(const std::vector<std::wstring>& paths) const {
  // DROPFILES, then the wide paths one after the other, each ended, and one more end.
  size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  const size_t size = sizeof(DROPFILES) + characters * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  *text = L'\0';
  GlobalUnlock(memory);
  PostMessageW(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

HWND WindowDriver::AwaitWindow(const std::wstring& caption, int timeoutMs) const {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    Search search{main_, &caption, nullptr};
    EnumThreadWindows(threadId_, FindCaption, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Pause();
  }
  return nullptr;
}

std::string WindowDriver::MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

std::vector<std::string> WindowDriver::LogLines() const {
  std::vector<std::string> lines;
  const HWND list = Item(1002);
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) return lines;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = 1024;
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item), SMTO_NORMAL, 5000, &length);
    lines.push_back(Narrow(text, length));
  }
  return lines;
}

bool WindowDriver::AwaitLogLine(const std::string& part, int timeoutMs) const {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    for (const std::string& line : LogLines()) {
      if (line.find(part) != std::string::npos) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

intptr_t WindowDriver::AwaitEnd(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs && !ended_; waited += 20) Pause();
  if (!ended_) return -2;
  if (thread_.joinable()) thread_.join();
  return result_;
}
