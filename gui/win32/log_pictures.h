#pragma once

#include <windows.h>
#include <commctrl.h>

namespace stravener::win32 {

// The picture list of the event log's kinds (error, information, separator) for a scale:
// the strip whose pictures come nearest to 12 pixels at that scale (12 at 100 %, 18 at
// 150 %, 24 at 200 %), magenta transparent. Null when it cannot be made.
HIMAGELIST LoadLogPictures(HINSTANCE instance, UINT dpi);

}  // namespace stravener::win32
