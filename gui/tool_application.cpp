#include "gui/tool_application.h"

#include <QString>

#include "app/format.h"
#include "app/language.h"
#include "app/settings_store.h"
#include "gui/main_window.h"
#include "gui/screenshots.h"

namespace stravener::gui {

int StartupLanguage(int32_t stored) {
  return stored == kPolish || stored == kEnglish ? static_cast<int>(stored) : kEnglish;
}

int RunToolApplication() {
  Language = StartupLanguage(ReadLanguageSetting());
  const QString screenshots = qEnvironmentVariable("STRAVENER_TOOL_SCREENSHOTS");
  if (!screenshots.isEmpty()) return TakeScreenshots(screenshots);
  {
    MainWindow window;
    window.exec();
  }  // the window's destruction closes the port and stores the settings
  return 0;
}

}  // namespace stravener::gui
