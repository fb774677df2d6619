// windows_screenshots.exe FOLDER [SCALE [LANGUAGES]]: pictures of the Windows desktop
// program for the README and docs/, taken under Wine by scripts/screenshots --windows. In
// each language (en, pl or both, the default) the Information notice and the main window
// after Open port and Information on a simulated logger (stravener-sim-service), then
// Configuration, Setup and About over it, each saved as a 24-bit BMP of the window's screen
// area: main_window_win32_en.bmp, ...; with a SCALE other than 100 (the scale Wine was
// set to, in per cent), main_window_win32_en_150.bmp, ...

#include <windows.h>

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

bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
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
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillet", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    const DWORD port = logger.ComNumber();
    RegSetValueExW(key, L"Port", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port), sizeof port);
    RegCloseKey(key);
  }
  int failures = 0;
  for (const int language : {stravener::kEnglish, stravener::kPolish}) {
    if (languages == (language == stravener::kEnglish ? L"pl" : L"en")) continue;
    failures += Shots(argv[1], language, scale);
  }
  if (failures != 0) std::fprintf(stderr, "%d pictures were not taken\n", failures);
  return failures == 0 ? 0 : 1;
}
