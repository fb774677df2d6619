#pragma once

#include <windows.h>

namespace stravener::win32 {

// The program: switches on the common controls, reads the stored language, runs the main
// window until it ends and destroys it, which closes the port and stores the settings.
// Returns the program's exit status.
int RunToolApplication(HINSTANCE instance);

}  // namespace stravener::win32
