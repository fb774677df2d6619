#pragma once

#include <windows.h>

namespace stravener::gui {
class ConfigurationDialog;
}

namespace stravener::win32 {

// Runs the logger configuration dialog from template 151 (Polish) or 152 (English), owned
// by `owner`; its controls are the view of `dialog`, which holds the rules. True when it
// ended with Save.
bool RunConfigurationDialogBox(HINSTANCE instance, HWND owner, gui::ConfigurationDialog& dialog);

}  // namespace stravener::win32
