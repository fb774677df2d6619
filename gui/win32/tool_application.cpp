#include "gui/win32/tool_application.h"

#include <commctrl.h>

#include "app/language.h"
#include "app/settings_store.h"
#include "gui/common/startup_language.h"
#include "gui/win32/main_window.h"

namespace stravener::win32 {

int RunToolApplication(HINSTANCE instance) {
  // The list view, the progress bar and the tooltips; the result is not needed.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                     ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Language = gui::StartupLanguage(ReadLanguageSetting());
  {
    MainWindow window(instance);
    window.Run();
  }  // the window's destruction closes the port and stores the settings
  return 0;
}

}  // namespace stravener::win32
