#include "gui/win32/message_box.h"

#include "gui/common/control_ids.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

int ShowMessageBox(HWND owner, const std::string& text, UINT style) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(gui::kCaption).c_str(), style);
}

}  // namespace stravener::win32
