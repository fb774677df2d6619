#pragma once

class QTranslator;

namespace stravener::gui {

// Sets the language from the stored setting and, for Polish, loads the toolkit's own texts
// (file dialogs, standard buttons) into translator and installs it, where the system has
// them. The translator must outlive the windows.
void StartInStoredLanguage(QTranslator& toolkitTexts);

// The program: reads the language, runs the main window until Exit, the close box, Enter
// or the language button ends it, and destroys it, which stores the settings. Needs a
// QApplication. Returns the program's exit status.
int RunToolApplication();

}  // namespace stravener::gui
