#include "gui/win32/dpi.h"

namespace stravener::win32 {

namespace {

// The calls of Windows 10 (1607 and later) that know each monitor's scale; looked up at
// run time, so that the program still starts where they are missing.
template <typename Function>
Function UserCall(const char* name) {
  const HMODULE user = GetModuleHandleW(L"user32.dll");
  return user != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);

}  // namespace

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = UserCall<GetDpiForWindowCall>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr && window != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int ScaleToDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto getSystemMetricsForDpi = UserCall<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi != nullptr) return getSystemMetricsForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace stravener::win32
