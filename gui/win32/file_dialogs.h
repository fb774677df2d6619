#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "gui/common/window_host.h"

namespace stravener::win32 {

// The system's Save dialog for a choice, owned by `owner`: asks before replacing a file,
// hides the read-only box, wants the folder to exist. The full path, or nothing.
std::optional<std::string> ChooseSaveFile(HWND owner, const gui::FileChoice& choice);

// The system's Open dialog: the file and its folder must exist, no read-only box.
std::optional<std::string> ChooseOpenFile(HWND owner, const gui::FileChoice& choice);

}  // namespace stravener::win32
