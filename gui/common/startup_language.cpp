#include "gui/common/startup_language.h"

#include "app/language.h"

namespace stravener::gui {

int StartupLanguage(int32_t stored) {
  return stored == kPolish || stored == kEnglish ? static_cast<int>(stored) : kEnglish;
}

}  // namespace stravener::gui
