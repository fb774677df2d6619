#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/common/setup_lists.h"

namespace stravener::win32 {

// Runs the Setup dialog from template 153 (Polish) or 155 (English), owned by `owner`, on
// copies of the port number and the speed limit. With Save it gives them back changed and
// returns true; Cancel, Escape and the close box leave both as they were.
bool RunSetupDialog(HINSTANCE instance, HWND owner, const gui::SetupServices& services, uint32_t& portNumber,
                    uint32_t& speedLimit);

}  // namespace stravener::win32
