// The Windows desktop program's window under Wine: the same window code as
// stravener-tool.exe, run on a thread of this program and driven with the messages that
// clicks, keys and drops send (BM_CLICK, WM_KEYDOWN, WM_DROPFILES), its state read back
// with the window system's own calls. HKEY_CURRENT_USER is a scratch key of this process,
// so the settings the window stores are this test's alone. The last test starts
// stravener-tool.exe itself.

#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/language.h"
#include "gui/common/command_table.h"
#include "gui/common/setup_lists.h"
#include "gui/common/dialog_description.h"
#include "gui/win32/log_pictures.h"
#include "gui/win32/main_window.h"
#include "gui/win32/setup_dialog.h"
#include "gui/win32/wide_text.h"
#include "link/port_names.h"
#include "platform/stop_request.h"
#include "scratch_current_user.h"
#include "sim_service_session.h"
#include "support/temp_dir.h"
#include "window_driver.h"
#include "wine_paths.h"

using namespace stravener;
using stravener::win32::Widen;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const wchar_t kStoreKey[] = L"Software\\Quillet";

DWORD ReadSetting(HKEY root, const wchar_t* name, DWORD missing = 0xDEADBEEF) {
  DWORD value = missing;
  DWORD size = sizeof value;
  if (RegGetValueW(root, kStoreKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return missing;
  return value;
}

void WriteSetting(HKEY root, const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

// Every test's HKEY_CURRENT_USER is a fresh scratch key of this process.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratchUser_.Ok()); }
  HKEY Store() const { return scratchUser_.Key(); }

 private:
  ScratchCurrentUser scratchUser_{"window"};
};

// The window's states follow the shared button-state rule and its focus rule.
void ExpectStates(const WindowDriver& window, bool open) {
  for (const gui::MainWindowControl& control : gui::MainWindowControls()) {
    EXPECT_EQ(window.Enabled(control.id), gui::ControlEnabled(control, open))
        << control.id << (open ? " with the port open" : " with the port closed");
  }
  EXPECT_EQ(window.FocusId(), open ? 1007 : 1006);
}

// A dialog built from its description in the current language: its children in tab order
// with their ids, texts (where the description gives one) and places in dialog units; a
// drop-down list's height is that of its open list, so only its top and sides count.
void ExpectBuiltFrom(HWND dialog, const gui::DialogDescription& description) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  ASSERT_EQ(children.size(), description.controls.size());
  for (size_t i = 0; i < children.size(); ++i) {
    const gui::ControlDescription& control = description.controls[i];
    const HWND child = children[i];
    EXPECT_EQ(LOWORD(GetDlgCtrlID(child)), control.id != 0 ? control.id : 0xFFFF) << i;
    if (*gui::ControlText(control) != '\0') {
      EXPECT_EQ(WindowText(child), gui::ControlText(control)) << i;
    }
    const gui::DialogRect place = gui::ControlPlace(control);
    // The dialog manager converts the place and the size each on its own.
    RECT expected{place.x, place.y, place.width, place.height};
    MapDialogRect(dialog, &expected);
    RECT shown{};
    GetWindowRect(child, &shown);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_EQ(shown.left, expected.left) << control.id << " " << i;
    EXPECT_EQ(shown.top, expected.top) << control.id << " " << i;
    // The icon takes its picture's size, and the etched line its edges'.
    if (control.kind != gui::ControlKind::ProgramIcon && control.kind != gui::ControlKind::HorizontalLine) {
      EXPECT_EQ(shown.right - shown.left, expected.right) << control.id << " " << i;
      if (control.kind != gui::ControlKind::DropDownList) {
        EXPECT_EQ(shown.bottom - shown.top, expected.bottom) << control.id << " " << i;
      }
    }
    EXPECT_EQ(IsWindowEnabled(child) == FALSE, gui::DisabledAtCreation(control)) << control.id << " " << i;
  }
}

// The main window grown by the user: the log and the progress bar grow with it, the bottom
// row (Exit, the progress bar, the language button) stays at the bottom, the other buttons
// stay where they were; it is never made smaller than it opened. It ends at its first size.
void ExpectGrowsAndShrinksNoFurther(const WindowDriver& window) {
  const auto placeOf = [&window](int id) {
    RECT place{};
    GetWindowRect(window.Item(id), &place);
    MapWindowPoints(nullptr, window.Main(), reinterpret_cast<POINT*>(&place), 2);
    return place;
  };
  RECT opened{};
  GetWindowRect(window.Main(), &opened);
  const RECT log = placeOf(1002), progress = placeOf(1015), flag = placeOf(1016), exit = placeOf(2);
  const RECT open = placeOf(1006), about = placeOf(1009);
  MINMAXINFO limits{};
  SendMessageW(window.Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, opened.right - opened.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, opened.bottom - opened.top);

  SetWindowPos(window.Main(), nullptr, 0, 0, opened.right - opened.left + 150, opened.bottom - opened.top + 90,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT grownLog = placeOf(1002), grownProgress = placeOf(1015), grownFlag = placeOf(1016);
  EXPECT_EQ(grownLog.left, log.left);
  EXPECT_EQ(grownLog.top, log.top);
  EXPECT_EQ(grownLog.right, log.right + 150);
  EXPECT_EQ(grownLog.bottom, log.bottom + 90);
  EXPECT_EQ(grownProgress.left, progress.left);
  EXPECT_EQ(grownProgress.top, progress.top + 90);
  EXPECT_EQ(grownProgress.right, progress.right + 150);
  EXPECT_EQ(grownFlag.left, flag.left + 150);
  EXPECT_EQ(grownFlag.top, flag.top + 90);
  EXPECT_EQ(placeOf(2).top, exit.top + 90);
  EXPECT_EQ(placeOf(1006).top, open.top);
  EXPECT_EQ(placeOf(1009).left, about.left);
  // The log's one column follows the list's width.
  RECT client{};
  GetClientRect(window.Item(1002), &client);
  EXPECT_EQ(ListView_GetColumnWidth(window.Item(1002), 0), client.right);

  SetWindowPos(window.Main(), nullptr, 0, 0, opened.right - opened.left, opened.bottom - opened.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(placeOf(1002).right, log.right);
}

// The tip the window gives for a control, as the tooltip control asks for it; empty when
// the request is not answered.
std::string TipOf(const WindowDriver& window, int id) {
  NMTTDISPINFOW request{};
  request.hdr.hwndFrom = nullptr;
  request.hdr.idFrom = reinterpret_cast<UINT_PTR>(window.Item(id));
  request.hdr.code = TTN_GETDISPINFOW;
  request.uFlags = TTF_IDISHWND;
  request.lpszText = request.szText;
  SendMessageW(window.Main(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
  if (request.lpszText == request.szText) return win32::Narrow(std::wstring(request.szText));
  if (IS_INTRESOURCE(request.lpszText)) return "?";
  return win32::Narrow(std::wstring(request.lpszText));
}

// Runs `work` on the window's thread (from inside its message handling) and waits for it.
void OnWindowThread(const WindowDriver& window, const std::function<void()>& work) {
  static constexpr UINT kRun = WM_APP + 77;
  HHOOK hook = SetWindowsHookExW(
      WH_CALLWNDPROC,
      [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == kRun) (*reinterpret_cast<const std::function<void()>*>(call->lParam))();
        return CallNextHookEx(nullptr, code, wParam, lParam);
      },
      nullptr, window.ThreadId());
  ASSERT_NE(hook, nullptr);
  SendMessageW(window.Main(), kRun, 0, reinterpret_cast<LPARAM>(&work));
  UnhookWindowsHookEx(hook);
}

bool SetSaveDialogName(HWND dialog, const std::string& path) {
  // The file name field: the combo box of the Explorer-style dialog, or the older edit.
  HWND field = GetDlgItem(dialog, 0x47c);
  if (field != nullptr) {
    HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr);
    if (edit != nullptr) field = edit;
  } else {
    field = GetDlgItem(dialog, 0x480);
  }
  if (field == nullptr) return false;
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Widen(path).c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The point lines of a PLT file: every line after the six of the header.
std::vector<std::string> PointLines(const std::string& plt) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = plt.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(plt.substr(start, end - start));
  }
  if (lines.size() < 6) return {};
  return std::vector<std::string>(lines.begin() + 6, lines.end());
}

// A program of this machine, ended when the test is done with it.
class RunningProgram {
 public:
  explicit RunningProgram(const std::wstring& path) {
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
      process_ = {};
    }
  }
  ~RunningProgram() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // A visible dialog of the program once it shows: its main window (no owner), or one
  // that a window owns (a dialog or message box over it); null after ten seconds.
  HWND AwaitDialog(bool owned) const {
    struct Search {
      DWORD processId;
      bool owned;
      HWND found;
    } search{process_.dwProcessId, owned, nullptr};
    for (int i = 0; i < 500 && process_.hProcess != nullptr && search.found == nullptr; ++i) {
      EnumWindows(
          [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (owner != s->processId || !IsWindowVisible(window) || std::wstring(className) != L"#32770" ||
                (GetWindow(window, GW_OWNER) != nullptr) != s->owned) {
              return TRUE;
            }
            s->found = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return search.found;
  }

  // The program's exit code once it has ended; 259 (still active) after ten seconds.
  DWORD AwaitExit() const {
    DWORD code = STILL_ACTIVE;
    if (process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_.hProcess, &code);
    }
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
};

}  // namespace

TEST_F(WindowTest, ControlsTextsStatesTipsAndKeysWithThePortClosed) {
  for (const int language : {kPolish, kEnglish}) {
    SCOPED_TRACE(language == kPolish ? "Polish" : "English");
    WindowDriver window(language);
    ASSERT_NE(window.Main(), nullptr);
    EXPECT_EQ(WindowText(window.Main()), "Stravener Tool");

    // Every control in its tab order (the order of the window's children), with the text
    // of the shared table.
    std::vector<int> order;
    for (HWND child = GetWindow(window.Main(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      order.push_back(GetDlgCtrlID(child));
    }
    EXPECT_THAT(order, ElementsAre(1006, 1007, 1010, 1014, 1012, 1013, 1008, 1011, 2, 1021, 1009, 1002, 1015, 1016));
    ExpectBuiltFrom(window.Main(), gui::MainWindowDescription());
    ExpectGrowsAndShrinksNoFurther(window);
    for (const gui::MainWindowControl& expected : gui::MainWindowControls()) {
      EXPECT_EQ(WindowText(window.Item(expected.id)), language == kPolish ? expected.polish : expected.english);
      if (expected.kind == gui::ControlKind::PushButton || expected.kind == gui::ControlKind::FlagButton) {
        EXPECT_NE(GetWindowLongW(window.Item(expected.id), GWL_STYLE) & WS_TABSTOP, 0) << expected.id;
      }
    }
    // Tab reaches the log but not the progress bar, and no button is the default.
    EXPECT_NE(GetWindowLongW(window.Item(1002), GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(GetWindowLongW(window.Item(1015), GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(LOWORD(SendMessageW(window.Main(), DM_GETDEFID, 0, 0)), IDOK);
    const LONG logStyle = GetWindowLongW(window.Item(1002), GWL_STYLE);
    EXPECT_EQ(logStyle & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_NE(logStyle & LVS_NOCOLUMNHEADER, 0);
    ExpectStates(window, false);

    // The language button shows the flag of the language it switches to.
    EXPECT_NE(SendMessageW(window.Item(1016), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_NE(SendMessageW(window.Main(), WM_QUERYDRAGICON, 0, 0), 0) << "the icon dragged when minimised";

    // Tips in the window's language, for the enabled controls only.
    EXPECT_EQ(TipOf(window, 2), language == kPolish ? "Kończy pracę programu." : "Ends the program.");
    EXPECT_EQ(TipOf(window, 1016), language == kPolish ? "Switch to English" : "Przełącz na polski");
    for (const gui::MainWindowControl& control : gui::MainWindowControls()) {
      if (control.enabledWhen != gui::EnabledWhen::PortOpen && gui::TooltipText(control.id) != nullptr) {
        EXPECT_EQ(TipOf(window, control.id), gui::TooltipText(control.id)) << control.id;
      }
    }
    EXPECT_EQ(TipOf(window, 1007), "") << "a disabled button has no tip";
    EXPECT_EQ(TipOf(window, 1002), "") << "the log has no tip";

    // Escape does nothing. Tab goes past the disabled buttons: Exit, Setup, About; Enter on
    // the focused About clicks it.
    PostMessageW(window.Item(1006), WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 3; ++i) PostMessageW(window.Item(1006), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(window.Item(1009), WM_KEYDOWN, VK_RETURN, 0);
    const HWND about = window.AwaitWindow(L"");
    ASSERT_NE(about, nullptr) << "Enter on About opens it";
    ExpectBuiltFrom(about, gui::AboutDescription());
    EXPECT_EQ(GetWindow(about, GW_OWNER), window.Main());
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(about); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(IsWindow(window.Main())) << "Escape closed the window";
    EXPECT_EQ(window.FocusId(), 1009);

    // Tab goes on from About to the log; Enter where no button has the focus ends the window,
    // as Exit does.
    PostMessageW(window.Item(1009), WM_KEYDOWN, VK_TAB, 0);
    for (int i = 0; i < 250 && window.FocusId() != 1002; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(window.FocusId(), 1002);
    PostMessageW(window.Item(1002), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(window.AwaitEnd(), IDOK);
  }
  // The settings were stored at the end: the defaults of a first start.
  EXPECT_EQ(ReadSetting(Store(), L"Language"), static_cast<DWORD>(kEnglish));
  EXPECT_EQ(ReadSetting(Store(), L"Port"), 1u);
  EXPECT_EQ(ReadSetting(Store(), L"MaxSpeed"), 115200u);
}

TEST_F(WindowTest, TheLogKeepsItsNewest501LinesInView) {
  WindowDriver window(kEnglish);
  ASSERT_NE(window.Main(), nullptr);
  // The lines come from the window's own thread, as an operation's do.
  OnWindowThread(window, [&] {
    auto& main = *reinterpret_cast<win32::MainWindow*>(GetWindowLongPtrW(window.Main(), DWLP_USER));
    for (int i = 0; i < 510; ++i) main.Log().LogLine(LogKind::Info, "line %d", i);
  });
  const HWND list = window.Item(1002);
  EXPECT_EQ(ListView_GetItemCount(list), 501);
  const std::vector<std::string> lines = window.LogLines();
  ASSERT_EQ(lines.size(), 501u);
  EXPECT_EQ(lines.front(), "line 9");
  EXPECT_EQ(lines.back(), "line 509");
  // The newest line is wholly in view.
  const int top = ListView_GetTopIndex(list);
  EXPECT_GE(top + ListView_GetCountPerPage(list), 501);
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 500;
  ListView_GetItem(list, &item);
  EXPECT_EQ(item.iImage, static_cast<int>(LogKind::Info)) << "the picture of the line's kind";

  // The pictures are 12 pixels at 100 %; every larger scale has its three pictures drawn
  // at its own size, up to 300 %.
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(ListView_GetImageList(list, LVSIL_SMALL), &width, &height);
  EXPECT_EQ(width, 12);
  for (const auto& [dpi, size] :
       {std::pair{120u, 15}, {144u, 18}, {168u, 21}, {192u, 24}, {240u, 30}, {288u, 36}, {110u, 15}, {480u, 36}}) {
    const HIMAGELIST pictures = win32::LoadLogPictures(GetModuleHandleW(nullptr), dpi);
    ASSERT_NE(pictures, nullptr) << dpi;
    ImageList_GetIconSize(pictures, &width, &height);
    EXPECT_EQ(width, size) << dpi;
    EXPECT_EQ(height, size) << dpi;
    EXPECT_EQ(ImageList_GetImageCount(pictures), 3) << dpi;
    ImageList_Destroy(pictures);
  }
}

TEST_F(WindowTest, SetupListsTheComPortsTheSystemReports) {
  // Two ports more in the machine's list, one with a colon; LPT9 is no COM port.
  const wchar_t kPorts[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
  HKEY ports = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPorts, 0, KEY_ALL_ACCESS, &ports) != ERROR_SUCCESS) {
    GTEST_SKIP() << "the machine's port list cannot be changed here";
  }
  for (const wchar_t* name : {L"COM12:", L"COM210:", L"LPT9:"}) RegSetValueExW(ports, name, 0, REG_SZ,
                                                                               reinterpret_cast<const BYTE*>(L""), 2);
  WriteSetting(Store(), L"Port", 210);
  WriteSetting(Store(), L"MaxSpeed", 460800);
  {
    WindowDriver window(kPolish);
    ASSERT_NE(window.Main(), nullptr);
    window.Click(1021);
    const HWND setup = window.AwaitWindow(L"Ustawienia programu");
    ASSERT_NE(setup, nullptr);
    ExpectBuiltFrom(setup, gui::SetupDescription());
    std::vector<std::string> reported;
    for (const PortEntry& entry : EnumeratePorts()) reported.push_back(PortLabel(entry));
    const std::vector<std::string> listed = ListItems(GetDlgItem(setup, 1005));
    EXPECT_THAT(listed, ElementsAreArray(gui::PortListEntries(reported)));
    EXPECT_THAT(listed, ::testing::Contains("COM12"));
    EXPECT_THAT(listed, ::testing::Not(::testing::Contains("LPT9")));
    EXPECT_EQ(WindowText(GetDlgItem(setup, 1005)), "COM210") << "the stored port is selected";
    // COM210 leads nowhere: the probe gives 115200, and the stored 460800 is not offered.
    EXPECT_THAT(ListItems(GetDlgItem(setup, 1023)), ElementsAre("115200 bps", "57600 bps", "38400 bps"));
    EXPECT_EQ(WindowText(GetDlgItem(setup, 1023)), "115200 bps");
    PostMessageW(GetDlgItem(setup, IDOK), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && IsWindow(setup); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The close box ends the window; Save's values are stored with the other settings.
    PostMessageW(window.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.AwaitEnd(), IDCANCEL);
  }
  for (const wchar_t* name : {L"COM12:", L"COM210:", L"LPT9:"}) RegDeleteValueW(ports, name);
  RegCloseKey(ports);
  EXPECT_EQ(ReadSetting(Store(), L"Language"), static_cast<DWORD>(kPolish));
  EXPECT_EQ(ReadSetting(Store(), L"Port"), 210u);
  EXPECT_EQ(ReadSetting(Store(), L"MaxSpeed"), 115200u);
}

namespace {

// A top-level window of this process with this caption, once it shows; null after a while.
HWND AwaitTopLevel(const wchar_t* caption) {
  for (int i = 0; i < 250; ++i) {
    const HWND found = FindWindowW(nullptr, caption);
    if (found != nullptr && IsWindowVisible(found)) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

}  // namespace

TEST(SetupDialogTest, FindLoggerSelectsThePortWhereItAnsweredOrSaysWhyNot) {
  // The logger answers on COM1, whose entry is not the first that begins with "COM1".
  gui::SetupServices services;
  services.enumeratePorts = [] { return std::vector<std::string>{"COM10", "COM1", "COM2"}; };
  services.probeMaxSpeed = [](uint32_t port) { return port == 1 ? 230400u : 115200u; };
  int searches = 0;
  gui::LoggerSearch found;
  found.portNumber = 1;
  services.findLogger = [&] {
    ++searches;
    return found;
  };
  for (const int language : {kEnglish, kPolish}) {
    Language = language;
    uint32_t port = 2;
    uint32_t speed = 460800;
    bool saved = false;
    std::thread dialog([&] { saved = win32::RunSetupDialog(GetModuleHandleW(nullptr), nullptr, services, port, speed); });
    const HWND setup = AwaitTopLevel(language == kEnglish ? L"Program setup" : L"Ustawienia programu");
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(setup, 1024)), language == kEnglish ? "Find logger" : "Znajdź logger");
    SendMessageW(GetDlgItem(setup, 1024), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(GetDlgItem(setup, 1005)), "COM1");
    EXPECT_EQ(WindowText(GetDlgItem(setup, 1023)), "230400 bps") << "the port found is probed";
    SendMessageW(GetDlgItem(setup, IDOK), BM_CLICK, 0, 0);
    dialog.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(port, 1u);
    EXPECT_EQ(speed, 230400u);
  }
  Language = kEnglish;
  EXPECT_EQ(searches, 2);

  // None answered: a message box with the report; the lists stay.
  found = gui::LoggerSearch{0, "No logger answered on any port."};
  uint32_t port = 2;
  uint32_t speed = 115200;
  std::thread dialog([&] { win32::RunSetupDialog(GetModuleHandleW(nullptr), nullptr, services, port, speed); });
  const HWND setup = AwaitTopLevel(L"Program setup");
  ASSERT_NE(setup, nullptr);
  PostMessageW(GetDlgItem(setup, 1024), BM_CLICK, 0, 0);
  const HWND box = AwaitTopLevel(L"Stravener Tool");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowDriver::MessageBoxText(box), "No logger answered on any port.");
  SendMessageW(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(box); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(WindowText(GetDlgItem(setup, 1005)), "COM2");
  PostMessageW(GetDlgItem(setup, IDCANCEL), BM_CLICK, 0, 0);
  dialog.join();
  EXPECT_EQ(port, 2u);
}

TEST_F(WindowTest, ReadTrackIntoPltConfigurationAndDroppedFiles) {
  SimServiceSession logger;
  ASSERT_EQ(logger.StartLogger({"points=800", "pace=0", "layout=2"}), "");
  WriteSetting(Store(), L"Port", logger.ComNumber());
  WriteSetting(Store(), L"MaxSpeed", 230400);
  TempDir dir;
  const std::string downloaded = WindowsPath(dir.File("trip.plt"));
  {
    WindowDriver window(kEnglish);
    ASSERT_NE(window.Main(), nullptr);
    window.ClickAndWait(1006);
    ASSERT_TRUE(window.AwaitLogLine("Port opened.")) << ::testing::PrintToString(window.LogLines());
    EXPECT_EQ(window.LogLines().front(), "Opening port COM" + std::to_string(logger.ComNumber()) + ".");
    ExpectStates(window, true);

    // Read track: the information, the save dialog, the download.
    window.Click(1012);
    const HWND save = window.AwaitWindow(L"Save track as");
    ASSERT_NE(save, nullptr) << ::testing::PrintToString(window.LogLines());
    ASSERT_TRUE(SetSaveDialogName(save, downloaded));
    ASSERT_TRUE(window.AwaitLogLine("Average transfer:", 60000)) << ::testing::PrintToString(window.LogLines());
    EXPECT_THAT(window.LogLines(), ::testing::Contains("Track read (12800 bytes)."));
    // The bar ran over the whole memory and is back at its start.
    const HWND progress = window.Item(1015);
    EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 12800);
    EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);
    // The summary that follows is WindowCommandsTest's; its last line ends the command.
    ASSERT_TRUE(window.AwaitLogLine("Days: ")) << ::testing::PrintToString(window.LogLines());
    EXPECT_THAT(window.LogLines(), ::testing::Contains("File: " + downloaded));

    // The logger's memory saved as .bin and dropped: converted into the same PLT file.
    const std::vector<uint8_t> memory = logger.UsedMemory();
    std::ofstream(dir.File("trip.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    std::filesystem::create_directory(dir.Path() / "converted");
    const std::string converted = WindowsPath((dir.Path() / "converted" / "trip.plt").string());
    window.DropFiles({Widen(WindowsPath(dir.File("trip.bin")))});
    const HWND convertSave = window.AwaitWindow(L"Save track as");
    ASSERT_NE(convertSave, nullptr);
    ASSERT_TRUE(SetSaveDialogName(convertSave, converted));
    ASSERT_TRUE(window.AwaitLogLine("OK, 800 points written.")) << ::testing::PrintToString(window.LogLines());
    const std::vector<std::string> conversion = {"Converting file", WindowsPath(dir.File("trip.bin")),
                                                 "--> " + converted};
    EXPECT_THAT(window.LogLines(), ::testing::IsSupersetOf(conversion));
    const auto summaries = [&window] {
      const std::vector<std::string> now = window.LogLines();
      return std::count_if(now.begin(), now.end(), [](const std::string& l) { return l.rfind("Days: ", 0) == 0; });
    };
    for (int i = 0; i < 500 && summaries() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The same points (the headers differ in the point count only the download knows).
    const std::vector<std::string> downloadedPoints = PointLines(ReadFile(dir.File("trip.plt")));
    EXPECT_EQ(downloadedPoints.size(), 800u);
    EXPECT_TRUE(PointLines(ReadFile(dir.File("converted/trip.plt"))) == downloadedPoints);

    // Two files at once reach the window as two (which files are refused is
    // WindowSessionTest's).
    window.DropFiles({Widen(WindowsPath(dir.File("trip.bin"))), Widen(WindowsPath(dir.File("trip.plt")))});
    HWND notice = window.AwaitWindow(L"Stravener Tool");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(WindowDriver::MessageBoxText(notice), "Drop only one file at a time.");
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(notice); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // The erase question's default button, which has the focus, is Cancel: Enter, which
    // goes to the focus, erases nothing. (Clicked once the drop has ended: a click while it
    // runs is dropped.)
    for (int i = 0; i < 100 && !window.Enabled(1013); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window.Click(1013);
    const HWND question = window.AwaitWindow(L"Stravener Tool");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(window.FocusId(), IDCANCEL);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(question, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    PostMessageW(GetDlgItem(question, window.FocusId()), WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 100 && IsWindow(question); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(IsWindow(question)) << "Enter left the question open";

    // Configuration: the logger skips no points, so the box is clear and the field shows 0.
    // Ticking the box validates the 0 at once (the range warning), then 5 is saved.
    window.Click(1014);
    const HWND configuration = window.AwaitWindow(L"Configuration");
    ASSERT_NE(configuration, nullptr) << ::testing::PrintToString(window.LogLines());
    ExpectBuiltFrom(configuration, gui::ConfigurationDescription());
    EXPECT_EQ(IsDlgButtonChecked(configuration, 1017), BST_UNCHECKED);
    EXPECT_EQ(WindowText(GetDlgItem(configuration, 1018)), "0");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(configuration, 1018)));
    PostMessageW(GetDlgItem(configuration, 1017), BM_CLICK, 0, 0);
    notice = window.AwaitWindow(L"Stravener Tool");
    ASSERT_NE(notice, nullptr) << "no range warning";
    EXPECT_EQ(WindowDriver::MessageBoxText(notice), "Input number from 1 to 255.");
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(notice); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(configuration, 1018)));
    // The dialog moves the focus once the warning's own loop has ended.
    for (int i = 0; i < 100 && window.FocusId() != 1018; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(window.FocusId(), 1018);
    SetWindowTextW(GetDlgItem(configuration, 1018), L"5");
    SendMessageW(GetDlgItem(configuration, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(window.AwaitLogLine("The configuration was saved.")) << ::testing::PrintToString(window.LogLines());
    EXPECT_EQ(logger.SkipSetting(), 5);

    // Enter on a focused Cancel cancels, although Save is the default button: the 7 typed
    // is not sent.
    for (int i = 0; i < 100 && IsWindow(configuration); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window.Click(1014);
    const HWND again = window.AwaitWindow(L"Configuration");
    ASSERT_NE(again, nullptr) << ::testing::PrintToString(window.LogLines());
    SetWindowTextW(GetDlgItem(again, 1018), L"7");
    SendMessageW(again, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(again, IDCANCEL)), TRUE);
    EXPECT_EQ(window.FocusId(), IDCANCEL);
    PostMessageW(GetDlgItem(again, IDCANCEL), WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 100 && IsWindow(again); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(IsWindow(again)) << "Enter on Cancel left the dialog open";
    EXPECT_EQ(logger.SkipSetting(), 5);
    const std::vector<std::string> lines = window.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "The configuration was saved."), 1);
    EXPECT_THAT(lines, ::testing::Not(::testing::Contains("Track memory erase command sent.")));

    window.ClickAndWait(1007);
    EXPECT_THAT(window.LogLines(), ::testing::Contains("Port closed."));
    ExpectStates(window, false);
    window.ClickAndWait(1006);
    ASSERT_TRUE(window.AwaitLogLine("Port opened."));
    // Exit with the port open: the window closes it (the port is opened with share mode 0,
    // so it opens again only once the window has let it go).
    PostMessageW(window.Item(2), BM_CLICK, 0, 0);
    EXPECT_EQ(window.AwaitEnd(), IDCANCEL);
  }
  const std::wstring device = L"\\\\.\\COM" + std::to_wstring(logger.ComNumber());
  const HANDLE port = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(port, INVALID_HANDLE_VALUE) << "the port is still held";
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  EXPECT_EQ(ReadSetting(Store(), L"Port"), logger.ComNumber());
}

// While a track is read only Exit is enabled; a click on another button is not acted on,
// then or later; the close box asks whether to stop and close (declined here), and Escape
// stops the download at its closing steps in the window that stays open.
// Then the user logs off while a track is read: the window asks the operation to stop, and
// the end of the session is handled only once the operation has run its closing steps;
// then the settings are stored at once (the program ends with the session).
TEST_F(WindowTest, EscapeOrALogoffDuringADownloadStopsItAtItsClosingSteps) {
  SimServiceSession logger;
  ASSERT_EQ(logger.StartLogger({"points=6000", "layout=2"}), "");  // paced: seconds at 230400
  WriteSetting(Store(), L"Port", logger.ComNumber());
  WriteSetting(Store(), L"MaxSpeed", 230400);
  TempDir dir;
  WindowDriver window(kEnglish);
  ASSERT_NE(window.Main(), nullptr);
  window.ClickAndWait(1006);
  window.Click(1012);
  const HWND first = window.AwaitWindow(L"Save track as");
  ASSERT_NE(first, nullptr) << ::testing::PrintToString(window.LogLines());
  ASSERT_TRUE(SetSaveDialogName(first, WindowsPath(dir.File("stopped.bin"))));
  ASSERT_TRUE(window.AwaitLogLine("Changing port speed to 230400 bps.")) << ::testing::PrintToString(window.LogLines());
  for (const gui::MainWindowControl& control : gui::MainWindowControls()) {
    if (control.kind != gui::ControlKind::PushButton && control.kind != gui::ControlKind::FlagButton) continue;
    EXPECT_EQ(window.Enabled(control.id), control.id == IDCANCEL) << control.id << " during the download";
  }
  window.Click(1007);  // Close port
  PostMessageW(window.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  const HWND question = window.AwaitWindow(L"Stravener Tool");
  ASSERT_NE(question, nullptr) << "the close box asked nothing";
  EXPECT_EQ(WindowDriver::MessageBoxText(question), "Stop the running command and close the program?");
  PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(window.Item(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(window.AwaitLogLine("Transfer aborted.")) << ::testing::PrintToString(window.LogLines());
  for (int i = 0; i < 250 && !window.Enabled(1007); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ExpectStates(window, true);
  EXPECT_TRUE(IsWindow(window.Main()));
  EXPECT_THAT(window.LogLines(), ::testing::Not(::testing::Contains("Port closed.")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("stopped.partial.bin")));
  EXPECT_FALSE(StopRequested());

  window.Click(1012);
  const HWND save = window.AwaitWindow(L"Save track as");
  ASSERT_NE(save, nullptr) << ::testing::PrintToString(window.LogLines());
  ASSERT_TRUE(SetSaveDialogName(save, WindowsPath(dir.File("trip.bin"))));
  ASSERT_TRUE(window.AwaitLogLine("Changing port speed to 230400 bps.")) << ::testing::PrintToString(window.LogLines());

  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(window.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                                  &answer));
  EXPECT_EQ(answer, 1u) << "the session may end";
  EXPECT_TRUE(StopRequested()) << "the download was asked to stop";
  EXPECT_EQ(ReadSetting(Store(), L"Language"), 0xDEADBEEFu) << "nothing is stored before the end";
  ASSERT_TRUE(SendMessageTimeoutW(window.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &answer));
  // Handled after the download's last line: back at the command speed.
  const std::vector<std::string> lines = window.LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_THAT(lines, ::testing::Contains("Changing port speed to 4800 bps."));
  EXPECT_THAT(lines.back(), ::testing::AnyOf("Changing port speed to 4800 bps.", "Transfer aborted.",
                                             ::testing::StartsWith("The incomplete track is in ")))
      << ::testing::PrintToString(lines);
  EXPECT_EQ(ReadSetting(Store(), L"Language"), static_cast<DWORD>(kEnglish));
  EXPECT_EQ(ReadSetting(Store(), L"Port"), logger.ComNumber());
  ClearStopRequest();
}

// stravener-tool.exe itself: F1 shows About with the version of its own version resource,
// and the language button stores the other language and ends the program.
TEST(ToolProgramTest, AboutAndTheLanguageButton) {
  // The program runs in this user's registry: its settings are put back afterwards.
  const DWORD before = ReadSetting(HKEY_CURRENT_USER, L"Language");
  WriteSetting(HKEY_CURRENT_USER, L"Language", kEnglish);
  {
    RunningProgram program(Widen(WindowsPath(STRAVENER_TOOL_EXE)));
    const HWND main = program.AwaitDialog(false);
    ASSERT_NE(main, nullptr) << "no window of stravener-tool.exe";
    EXPECT_EQ(WindowText(GetDlgItem(main, 1006)), "&Open port");

    // F1 on the focused Open port button.
    PostMessageW(GetDlgItem(main, 1006), WM_KEYDOWN, VK_F1, 0);
    const HWND about = program.AwaitDialog(true);
    ASSERT_NE(about, nullptr) << "F1 shows no About";
    EXPECT_EQ(WindowText(GetDlgItem(about, 1001)), "1.8.0.0");
    EXPECT_THAT(WindowText(GetDlgItem(about, 1003)),
                ::testing::MatchesRegex("\\d+/\\d+/20\\d\\d, \\d\\d:\\d\\d:\\d\\d"));
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(about); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // The language button: the notice in the new language, then the program ends.
    PostMessageW(GetDlgItem(main, 1016), BM_CLICK, 0, 0);
    const HWND notice = program.AwaitDialog(true);
    ASSERT_NE(notice, nullptr) << "no notice";
    EXPECT_EQ(WindowText(notice), "Stravener Tool");
    EXPECT_EQ(WindowDriver::MessageBoxText(notice),
              "Język interfejsu zostanie zmieniony przy następnym uruchomieniu programu.");
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.AwaitExit(), 0u) << "the program did not end as it should";
  }
  EXPECT_EQ(ReadSetting(HKEY_CURRENT_USER, L"Language"), static_cast<DWORD>(kPolish));

  if (before == 0xDEADBEEF) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"Language");
      RegCloseKey(key);
    }
  } else {
    WriteSetting(HKEY_CURRENT_USER, L"Language", before);
  }
}
