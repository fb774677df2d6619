#pragma once

#include <windows.h>

namespace stravener::win32 {

// Runs the About dialog from template 130 (Polish) or 147 (English), owned by `owner`: the
// version from the program file's own version information and the date and time of the
// build.
void RunAboutDialog(HINSTANCE instance, HWND owner);

}  // namespace stravener::win32
