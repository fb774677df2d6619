#pragma once

#include <windows.h>

namespace stravener::win32 {

// The scale windows are drawn at, in dots per inch: 96 is 100 %, 144 is 150 %. The programs
// are aware of each monitor's scale (their manifest), so the system leaves the drawing to
// them: the dialogs grow with their font, and the pictures are taken at the size the
// scale asks for.

// The scale of a window's monitor (the system's where the system cannot tell it).
UINT WindowDpi(HWND window);
// The scale of the primary monitor, which windows open on.
UINT SystemDpi();
// A length in pixels at 100 %, at this scale.
int ScaleToDpi(int pixels, UINT dpi);
// A system metric (SM_CXSMICON, ...) at this scale.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace stravener::win32
