#pragma once

namespace stravener::gui {

// The program: reads the language, runs the main window until Exit, the close box, Enter
// or the language button ends it, and destroys it, which stores the settings. Needs a
// QApplication. Returns the program's exit status.
int RunToolApplication();

}  // namespace stravener::gui
