#pragma once

namespace stravener::gui {

// The tip of a main window control, by its id, in the current language (UTF-8); nullptr
// for a control without one. The log and the progress bar have none. The language button's
// tip names the language it switches to, in that language: "Switch to English" in the
// Polish window, "Przełącz na polski" in the English one.
const char* TooltipText(int controlId);

}  // namespace stravener::gui
