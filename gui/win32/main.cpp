// stravener-tool.exe: the Windows desktop program that services the Stravener GPS track
// logger, on the plain Win32 API.

#include <windows.h>

#include "gui/win32/tool_application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return stravener::win32::RunToolApplication(instance);
}
