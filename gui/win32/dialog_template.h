#pragma once

#include <windows.h>

#include <vector>

#include "gui/common/dialog_description.h"

namespace stravener::win32 {

// A dialog's template in memory (DLGTEMPLATEEX with its items), built from its description
// in the current language, for DialogBoxIndirectParamW. `extraStyle` is added to the
// dialog's own style.
std::vector<WORD> BuildDialogTemplate(const gui::DialogDescription& dialog, DWORD extraStyle = 0);

// Runs a dialog modally from its description: DialogBoxIndirectParamW's result.
INT_PTR RunDescribedDialog(HINSTANCE instance, HWND owner, const gui::DialogDescription& dialog, DLGPROC proc,
                           LPARAM parameter, DWORD extraStyle = 0);

}  // namespace stravener::win32
