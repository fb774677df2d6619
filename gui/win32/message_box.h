#pragma once

#include <windows.h>

#include <string>

namespace stravener::win32 {

// A message box owned by `owner` with the caption "Stravener Tool" in both languages;
// `style` gives the buttons and the icon (MB_OK, MB_OKCANCEL | MB_ICONQUESTION, ...).
// The button pressed (IDOK, IDCANCEL).
int ShowMessageBox(HWND owner, const std::string& text, UINT style);

}  // namespace stravener::win32
