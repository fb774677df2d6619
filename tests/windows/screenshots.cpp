// windows_screenshots.exe FOLDER [SCALE [LANGUAGES]]: pictures of the Windows desktop
// program for the README and docs/, taken under Wine by scripts/screenshots --windows. In
// each language (en, pl or both, the default) the Information notice and the main window
// after Open port and Information on a simulated logger (stravener-sim-service), then
// Configuration, Setup and About over it, each saved as a 24-bit BMP of the window's screen
// area: main_window_win32_en.bmp, ...; with a SCALE other than 100 (the scale Wine was
// set to, in per cent), main_window_win32_en_150.bmp, ... At 100 % also the English window
// once more with the tip of Exit showing (main_window_tooltip_win32_en.bmp), and the window
// at work on a second, paced logger: a download while the bar shows the time left
// (main_window_download_win32_en.bmp), and the stop question of an upgrade
// (stop_question_win32_en.bmp), declined.

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/language.h"
#include "sim_service_session.h"
#include "window_driver.h"

namespace {

void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(700)); }

bool SaveScreenPicture(const RECT& area, const std::wstring& path);

bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
  return SaveScreenPicture(area, path);
}

// The window with the tip of a button showing, the mouse resting on the button.
bool SaveWindowWithTip(const WindowDriver& window, int button, const std::wstring& path) {
  RECT target{};
  GetWindowRect(window.Item(button), &target);
  const POINT middle{(target.left + target.right) / 2, (target.top + target.bottom) / 2};
  SetCursorPos(middle.x, middle.y);
  POINT inside = middle;
  ScreenToClient(window.Item(button), &inside);
  for (int i = 0; i < 3; ++i) {
    PostMessageW(window.Item(button), WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Settle();
  Settle();
  RECT area{};
  GetWindowRect(window.Main(), &area);
  bool tipShown = false;
  for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip != nullptr;
       tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
    RECT tipArea{};
    if (IsWindowVisible(tip) && GetWindowRect(tip, &tipArea)) {
      UnionRect(&area, &area, &tipArea);
      tipShown = true;
    }
  }
  const bool saved = SaveScreenPicture(area, path);
  SetCursorPos(0, 0);
  return saved && tipShown;
}

bool SaveScreenPicture(const RECT& area, const std::wstring& path) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  std::vector<BYTE> pixels(rowBytes * static_cast<DWORD>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

// Opens a dialog with a click on `button`, takes its picture and closes it again with
// `closeId`. False when the dialog did not show or its picture was not saved.
bool DialogShot(const WindowDriver& window, int button, const std::wstring& caption, const std::wstring& path,
                int closeId) {
  window.Click(button);
  const HWND dialog = window.AwaitWindow(caption);
  if (dialog == nullptr) return false;
  Settle();
  const bool saved = SaveWindowPicture(dialog, path);
  PostMessageW(dialog, WM_COMMAND, closeId, 0);
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return saved;
}

// Writes the name into a file dialog's name field and confirms it.
bool ChooseFileName(HWND dialog, const std::wstring& path) {
  HWND field = GetDlgItem(dialog, 0x47c);  // the Explorer-style dialog's combo box, or the older edit
  if (field != nullptr) {
    if (HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr); edit != nullptr) field = edit;
  } else {
    field = GetDlgItem(dialog, 0x480);
  }
  if (field == nullptr) return false;
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return true;
}

// Waits until the window's command has ended: Open port or Close port is enabled again.
void AwaitIdle(const WindowDriver& window) {
  for (int i = 0; i < 3000 && !window.Enabled(1006) && !window.Enabled(1007); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The window at work on the paced logger (the stored port): a download drawn once the bar
// shows the time left, then stopped with Escape; an upgrade whose stop question is drawn,
// then declined, so that the logger keeps a program.
int ProgressShots(const std::wstring& folder, int language, const std::wstring& suffix) {
  const bool polish = language == stravener::kPolish;
  WindowDriver window(language);
  if (window.Main() == nullptr) return 2;
  int failures = 0;
  window.ClickAndWait(1006);
  window.Click(1012);
  const HWND save = window.AwaitWindow(polish ? L"Zapisz ślad jako" : L"Save track as");
  if (save == nullptr || !ChooseFileName(save, folder + L"\\track.plt")) return 2;
  const HWND bar = window.Item(1015);
  for (int i = 0; i < 500 && SendMessageW(bar, PBM_GETPOS, 0, 0) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Settle();
  Settle();  // the time left shows after a second
  failures += !SaveWindowPicture(window.Main(), folder + L"\\main_window_download" + suffix);
  PostMessageW(window.Item(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  AwaitIdle(window);

  const std::wstring image = folder + L"\\firmware.upg";
  if (FILE* out = _wfopen(image.c_str(), L"wb"); out != nullptr) {
    for (int i = 0; i < 4096; ++i) std::fputc((i * 7 + 1) & 0xFF, out);
    std::fclose(out);
  }
  window.Click(1008);
  const HWND open = window.AwaitWindow(polish ? L"Wybierz plik apgrejdu" : L"Choose firmware file");
  if (open == nullptr || !ChooseFileName(open, image)) return failures + 1;
  for (int i = 0; i < 500 && SendMessageW(bar, PBM_GETPOS, 0, 0) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  PostMessageW(window.Item(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  const HWND question = window.AwaitWindow(L"Stravener Tool");
  if (question == nullptr) return failures + 1;
  Settle();
  failures += !SaveWindowPicture(question, folder + L"\\stop_question" + suffix);
  PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
  AwaitIdle(window);
  return failures;
}

// The port the window opens next.
void StorePort(DWORD port) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillet", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, L"Port", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port), sizeof port);
    RegCloseKey(key);
  }
}

int Shots(const std::wstring& folder, int language, const std::wstring& scale) {
  const bool polish = language == stravener::kPolish;
  const std::wstring suffix = (polish ? L"_win32_pl" : L"_win32_en") + (scale == L"100" ? L"" : L"_" + scale) + L".bmp";
  WindowDriver window(language);
  if (window.Main() == nullptr) return 1;
  int failures = 0;
  // The main window at work: the port opened on the simulated logger and its information,
  // whose report is a notice.
  window.ClickAndWait(1006);
  failures += !DialogShot(window, 1010, L"Stravener Tool", folder + L"\\notice" + suffix, IDOK);
  Settle();
  failures += !SaveWindowPicture(window.Main(), folder + L"\\main_window" + suffix);
  if (scale == L"100" && !polish) {
    failures += !SaveWindowWithTip(window, IDCANCEL, folder + L"\\main_window_tooltip" + suffix);
  }
  failures += !DialogShot(window, 1014, polish ? L"Konfiguracja" : L"Configuration",
                          folder + L"\\configuration_dialog" + suffix, IDCANCEL);
  window.ClickAndWait(1007);  // Setup needs the port closed
  failures += !DialogShot(window, 1021, polish ? L"Ustawienia programu" : L"Program setup",
                          folder + L"\\setup_dialog" + suffix, IDCANCEL);
  failures += !DialogShot(window, 1009, L"", folder + L"\\about_dialog" + suffix, IDOK);
  return failures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring languages = argc > 3 ? argv[3] : L"both";
  if (argc < 2 || argc > 4 || (languages != L"en" && languages != L"pl" && languages != L"both")) {
    std::fprintf(stderr, "usage: windows_screenshots FOLDER [SCALE [en|pl|both]]\n");
    return 2;
  }
  const std::wstring scale = argc > 2 ? argv[2] : L"100";
  SimServiceSession logger;
  const std::string error = logger.StartLogger({"points=5000", "pace=0", "layout=2"});
  if (!error.empty()) {
    std::fprintf(stderr, "no simulated logger: %s\n", error.c_str());
    return 1;
  }
  // The window opens the logger's port: it is the stored one.
  StorePort(logger.ComNumber());
  SimServiceSession paced;
  const std::string pacedError = scale == L"100" ? paced.StartLogger({"points=5000", "layout=2"}) : "";
  int failures = 0;
  for (const int language : {stravener::kEnglish, stravener::kPolish}) {
    if (languages == (language == stravener::kEnglish ? L"pl" : L"en")) continue;
    failures += Shots(argv[1], language, scale);
    if (scale != L"100") continue;
    if (!pacedError.empty()) {
      std::fprintf(stderr, "no paced simulated logger: %s\n", pacedError.c_str());
      ++failures;
      continue;
    }
    // The window at work opens the paced logger's port, and then the first one's again.
    StorePort(paced.ComNumber());
    failures += ProgressShots(argv[1], language, language == stravener::kPolish ? L"_win32_pl.bmp" : L"_win32_en.bmp");
    StorePort(logger.ComNumber());
  }
  if (failures != 0) std::fprintf(stderr, "%d pictures were not taken\n", failures);
  return failures == 0 ? 0 : 1;
}
