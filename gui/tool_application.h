#pragma once

#include <cstdint>

namespace stravener::gui {

// The language the program starts in from the stored value: 0 Polish, 1 English. Any
// other value (a damaged store) starts in English, as a first start does, and English is
// then stored at the end.
int StartupLanguage(int32_t stored);

// The program: reads the language, runs the main window until Exit, the close box, Enter
// or the language button ends it, and destroys it, which stores the settings. Needs a
// QApplication. Returns the program's exit status.
int RunToolApplication();

}  // namespace stravener::gui
