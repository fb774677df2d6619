#include "gui/win32/main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "app/language.h"
#include "platform/stop_request.h"
#include "gui/common/command_table.h"
#include "gui/common/control_ids.h"
#include "gui/win32/about_dialog.h"
#include "gui/win32/configuration_dialog_box.h"
#include "gui/win32/dialog_template.h"
#include "gui/win32/dpi.h"
#include "gui/win32/file_dialogs.h"
#include "gui/win32/log_pictures.h"
#include "gui/win32/message_box.h"
#include "gui/win32/resource_ids.h"
#include "gui/win32/setup_dialog.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

namespace {

// The window whose keys the dialog loop of this thread offers to KeyboardFilter.
thread_local MainWindow* filteredWindow = nullptr;

// Posted to the window once the system has scaled it to a new monitor's scale (wParam).
constexpr UINT kScaleChanged = WM_APP + 1;

HICON LoadIconOfSize(HINSTANCE instance, int id, int size) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// Drops the keys, clicks and files that came in while a command ran, and the close
// requests and clicks they had become: what the user did meanwhile is not done afterwards.
void DropQueuedInput(HWND window) {
  MSG message;
  while (PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, window, WM_COMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, BM_CLICK, BM_CLICK, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_DROPFILES, WM_DROPFILES, PM_REMOVE)) {
    DragFinish(reinterpret_cast<HDROP>(message.wParam));
  }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, gui::Operations operations, gui::SetupServices setupServices,
                       SerialOpener opener)
    : instance_(instance),
      session_(std::make_unique<gui::WindowSession>(*this, std::move(operations), std::move(setupServices),
                                                    std::move(opener))) {
  largeIcon_ = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM));
  // F1 shows About.
  ACCEL about{FVIRTKEY, VK_F1, static_cast<WORD>(gui::kIdAbout)};
  accelerators_ = CreateAcceleratorTableW(&about, 1);
  // The small icon and the log pictures at the scale of the monitor the window opens on:
  // 16 and 12 pixels at 100 %.
  LoadScaledPictures(SystemDpi());
}

MainWindow::~MainWindow() {
  // The session's end: an open port closed without a word, the settings stored.
  session_.reset();
  if (pictures_ != nullptr) ImageList_Destroy(pictures_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  if (flagIcon_ != nullptr) DestroyIcon(flagIcon_);
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

INT_PTR MainWindow::Run() {
  if (Language != kPolish && Language != kEnglish) return -1;
  MainWindow* outer = std::exchange(filteredWindow, this);
  keyboardFilter_ = SetWindowsHookExW(WH_MSGFILTER, KeyboardFilter, nullptr, GetCurrentThreadId());
  const INT_PTR result = RunDescribedDialog(instance_, nullptr, gui::MainWindowDescription(), DialogProc,
                                            reinterpret_cast<LPARAM>(this), WS_VISIBLE);
  if (keyboardFilter_ != nullptr) UnhookWindowsHookEx(keyboardFilter_);
  keyboardFilter_ = nullptr;
  filteredWindow = outer;
  return result;
}

LRESULT CALLBACK MainWindow::KeyboardFilter(int code, WPARAM wParam, LPARAM lParam) {
  MainWindow* self = filteredWindow;
  if (code == MSGF_DIALOGBOX && self != nullptr && self->window_ != nullptr) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (message->hwnd == self->window_ || IsChild(self->window_, message->hwnd)) {
      // Escape never closes the main window.
      if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) return TRUE;
      // The shortcuts (F1: About) first; then, matched or not, the dialog's own keys.
      if (self->accelerators_ != nullptr) TranslateAcceleratorW(self->window_, self->accelerators_, message);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<MainWindow*>(lParam);
    self->window_ = window;
    self->InitDialog();
    return TRUE;  // the system gives the focus to the first tab stop, Open port
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return self != nullptr ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

void MainWindow::InitDialog() {
  // A window that opened on another monitor than the primary one takes that one's scale.
  if (const UINT dpi = WindowDpi(window_); dpi != dpi_) LoadScaledPictures(dpi);
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  DragAcceptFiles(window_, TRUE);
  AddTooltips();
  SetWindowSubclass(GetDlgItem(window_, gui::kIdProgress), ProgressProc, 0, reinterpret_cast<DWORD_PTR>(this));
  logList_.Attach(GetDlgItem(window_, gui::kIdLog), pictures_);
  LayOutControls();
  session_->Attach();  // the flag on the language button, the log lines and the button states
}

void MainWindow::LoadScaledPictures(UINT dpi) {
  dpi_ = dpi;
  if (pictures_ != nullptr) ImageList_Destroy(pictures_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  pictures_ = LoadLogPictures(instance_, dpi);
  smallIcon_ = LoadIconOfSize(instance_, IDI_PROGRAM, SystemMetricForDpi(SM_CXSMICON, dpi));
}

void MainWindow::ShowLanguageFlag(gui::LanguageFlag shown) {
  // 16 pixels at 100 %.
  if (shown == gui::LanguageFlag::None) return;
  const HICON flag =
      LoadIconOfSize(instance_, shown == gui::LanguageFlag::Polish ? IDI_FLAG_PL : IDI_FLAG_GB, ScaleToDpi(16, dpi_));
  SendDlgItemMessageW(window_, gui::kIdLanguage, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(flag));
  if (flagIcon_ != nullptr) DestroyIcon(flagIcon_);
  flagIcon_ = flag;
}

void MainWindow::Rescale(UINT dpi) {
  // The system has scaled the dialog and its font; the pictures follow.
  const HIMAGELIST oldPictures = std::exchange(pictures_, nullptr);
  const HICON oldSmallIcon = std::exchange(smallIcon_, nullptr);
  LoadScaledPictures(dpi);
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  ShowLanguageFlag(gui::LanguageButtonFlag());
  logList_.Rescale(pictures_);
  if (oldPictures != nullptr) ImageList_Destroy(oldPictures);
  if (oldSmallIcon != nullptr) DestroyIcon(oldSmallIcon);
}

void MainWindow::LayOutControls() {
  if (window_ == nullptr) return;
  // In the pixels of the window's font and scale, as the dialog manager placed them.
  const gui::DialogDescription& description = gui::MainWindowDescription();
  RECT described{0, 0, description.width, description.height};
  MapDialogRect(window_, &described);
  RECT client{};
  GetClientRect(window_, &client);
  const int growWidth = std::max(0, static_cast<int>(client.right - described.right));
  const int growHeight = std::max(0, static_cast<int>(client.bottom - described.bottom));
  for (const gui::ControlDescription& control : description.controls) {
    RECT place{control.place.x, control.place.y, control.place.width, control.place.height};
    MapDialogRect(window_, &place);
    const gui::DialogRect grown =
        gui::GrownPlace({place.left, place.top, place.right, place.bottom}, control.style, growWidth, growHeight);
    SetWindowPos(GetDlgItem(window_, control.id), nullptr, grown.x, grown.y, grown.width, grown.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  logList_.FitColumn();
  InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::AddTooltips() {
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  if (tooltips_ == nullptr) return;
  // Every control is a tool; whether it shows a tip is asked when the mouse rests on it.
  for (HWND control = GetWindow(window_, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

bool MainWindow::AnswerTooltip(NMTTDISPINFOW& request) {
  // Only an enabled control with a tip shows it, in the window's language.
  if ((request.uFlags & TTF_IDISHWND) == 0) return false;
  const HWND control = reinterpret_cast<HWND>(request.hdr.idFrom);
  const int id = GetDlgCtrlID(control);
  const char* tip = id != 0 ? gui::TooltipText(id) : nullptr;
  if (!IsWindowEnabled(control) || tip == nullptr) return false;
  // The tooltip control copies the text before the next request.
  tipText_ = Widen(tip);
  request.lpszText = tipText_.data();
  request.hinst = nullptr;
  return true;
}

void MainWindow::PaintIconic() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window_, &paint);
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(window_, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, largeIcon_);
  EndPaint(window_, &paint);
}

INT_PTR MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Buttons click (0), the shortcuts come as 1.
      if (HIWORD(wParam) <= 1) session_->RunCommand(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TTN_GETDISPINFOW) return AnswerTooltip(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
      return FALSE;
    }
    case WM_PAINT:
      if (!IsIconic(window_)) return FALSE;
      PaintIconic();
      return TRUE;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayOutControls();
      return FALSE;
    case WM_GETMINMAXINFO: {
      // Never smaller than described.
      if (window_ == nullptr) return FALSE;
      const gui::DialogDescription& description = gui::MainWindowDescription();
      RECT smallest{0, 0, description.width, description.height};
      MapDialogRect(window_, &smallest);
      AdjustWindowRectEx(&smallest, static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
      return TRUE;
    }
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(largeIcon_);
    case WM_DPICHANGED:
      // The window went to a monitor of another scale: the system scales the dialog, and
      // then the pictures are loaded again at the new size.
      PostMessageW(window_, kScaleChanged, HIWORD(wParam), 0);
      return FALSE;
    case kScaleChanged:
      Rescale(static_cast<UINT>(wParam));
      return TRUE;
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_QUERYENDSESSION:
      // The user logs off during a command: it stops at its next safe point and runs its
      // closing steps (the download sets the logger back to 4800 bit/s); the end of the
      // session then waits until the command has returned (see Repaint).
      if (session_->Busy()) {
        RequestStop();
        sessionEnding_ = true;
      }
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        // The program ends with the session once this returns: the port and the settings now.
        session_->StoreAtSessionEnd();
      } else {
        ClearStopRequest();  // the session goes on after all
        sessionEnding_ = false;
      }
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_DESTROY:
      session_->Detach();
      logList_.Detach();
      DragAcceptFiles(window_, FALSE);
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void MainWindow::DropFiles(HDROP drop) {
  if (!session_->Busy()) {
    // Every dropped file's whole path, however long.
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      std::wstring path(static_cast<size_t>(length) + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
      paths.push_back(Narrow(path));
    }
    session_->DropFiles(paths);
  }
  DragFinish(drop);
}

void MainWindow::EnableControl(int id, bool enabled) {
  EnableWindow(GetDlgItem(window_, id), enabled ? TRUE : FALSE);
}

void MainWindow::FocusControl(int id) {
  SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, id)), TRUE);
}

void MainWindow::AppendLogLine(const LogEntry& entry, bool droppedOldest) { logList_.Add(entry, droppedOldest); }

void MainWindow::SetProgressRange(int maximum) {
  SendDlgItemMessageW(window_, gui::kIdProgress, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
}

void MainWindow::SetProgressPosition(int position) {
  SendDlgItemMessageW(window_, gui::kIdProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void MainWindow::SetProgressText(const std::string& text) {
  progressText_ = Widen(text);
  InvalidateRect(GetDlgItem(window_, gui::kIdProgress), nullptr, TRUE);
}

LRESULT CALLBACK MainWindow::ProgressProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(bar, ProgressProc, id);
  const LRESULT result = DefSubclassProc(bar, message, wParam, lParam);
  if (message == WM_PAINT) reinterpret_cast<const MainWindow*>(self)->PaintProgressText(bar);
  return result;
}

void MainWindow::PaintProgressText(HWND bar) const {
  if (progressText_.empty()) return;
  RECT client{};
  GetClientRect(bar, &client);
  const auto maximum = static_cast<LONG>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const auto position = static_cast<LONG>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const LONG width = client.right - client.left;
  const LONG filled = maximum > 0 ? static_cast<LONG>(static_cast<int64_t>(width) * position / maximum) : 0;
  const HDC dc = GetDC(bar);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  // Light on the filled part, dark on the rest, centred over both.
  const RECT parts[2] = {{client.left, client.top, client.left + filled, client.bottom},
                         {client.left + filled, client.top, client.right, client.bottom}};
  const int colours[2] = {COLOR_HIGHLIGHTTEXT, COLOR_WINDOWTEXT};
  for (int i = 0; i < 2; ++i) {
    if (parts[i].right <= parts[i].left) continue;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, parts[i].left, parts[i].top, parts[i].right, parts[i].bottom);
    SetTextColor(dc, GetSysColor(colours[i]));
    RECT box = client;
    DrawTextW(dc, progressText_.c_str(), static_cast<int>(progressText_.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(bar, dc);
}

void MainWindow::Repaint(bool commandRunning) {
  if (window_ == nullptr) return;
  // What needs painting is painted now: the command runs inside a click, without the loop.
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Once the user's session ends nothing more is answered here, so its end comes only
  // after the command's closing steps.
  if (sessionEnding_) return;
  if (commandRunning) {
    PumpDuringCommand();
  } else {
    // Messages that the system sends are answered.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

void MainWindow::PumpDuringCommand() {
  // Messages that the system sends (the end of the session among them) are answered by the
  // peek itself; a bounded number of queued ones are taken, so that the command goes on.
  MSG message;
  for (int taken = 0; taken < 256 && !sessionEnding_ && window_ != nullptr; ++taken) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!PassDuringCommand(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool MainWindow::PassDuringCommand(const MSG& message) {
  const bool ours = message.hwnd == window_ || IsChild(window_, message.hwnd);
  const HWND exitButton = GetDlgItem(window_, gui::kIdCancel);
  const UINT kind = message.message;
  if (kind >= WM_KEYFIRST && kind <= WM_KEYLAST) {
    if (ours && kind == WM_KEYDOWN && message.wParam == VK_ESCAPE) session_->PressEscape();
    if (ours && kind == WM_SYSKEYDOWN && message.wParam == VK_F4) session_->RequestClose();  // Alt+F4
    return false;
  }
  if (kind >= WM_NCMOUSEMOVE && kind <= WM_NCXBUTTONDBLCLK) {
    if (message.hwnd == window_ && kind == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE) session_->RequestClose();
    return false;
  }
  // Exit still clicks (and asks whether to stop); no other control takes a click.
  if ((kind >= WM_MOUSEFIRST && kind <= WM_MOUSELAST) || kind == BM_CLICK) return message.hwnd == exitButton;
  // A close request (the system menu's Close) becomes Exit's click in the dialog.
  return true;
}

void MainWindow::CommandEnded() { DropQueuedInput(window_); }

bool MainWindow::ShowMessage(gui::MessageKind kind, const std::string& text, gui::DefaultButton defaultButton) {
  switch (kind) {
    case gui::MessageKind::Question: {
      // The second button of MB_OKCANCEL is Cancel.
      const UINT defaultStyle = defaultButton == gui::DefaultButton::Cancel ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
      return ShowMessageBox(window_, text, MB_OKCANCEL | MB_ICONQUESTION | defaultStyle) == IDOK;
    }
    case gui::MessageKind::Warning:
      return ShowMessageBox(window_, text, MB_OK | MB_ICONEXCLAMATION) == IDOK;
    case gui::MessageKind::Notice:
      break;
  }
  return ShowMessageBox(window_, text, MB_OK) == IDOK;
}

std::optional<std::string> MainWindow::ChooseFile(gui::FileChoiceKind kind, const gui::FileChoice& choice) {
  return kind == gui::FileChoiceKind::Save ? win32::ChooseSaveFile(window_, choice)
                                           : win32::ChooseOpenFile(window_, choice);
}

bool MainWindow::RunConfigurationDialog(gui::ConfigurationDialog& dialog) {
  return RunConfigurationDialogBox(instance_, window_, dialog);
}

bool MainWindow::RunSetupDialog(gui::SetupChoice& choice) {
  return win32::RunSetupDialog(instance_, window_, choice.services, choice.portNumber, choice.speedLimit);
}

void MainWindow::RunAboutDialog() { win32::RunAboutDialog(instance_, window_); }

void MainWindow::EndWindow(gui::WindowEnd end) { EndDialog(window_, end == gui::WindowEnd::Ok ? IDOK : IDCANCEL); }

}  // namespace stravener::win32
