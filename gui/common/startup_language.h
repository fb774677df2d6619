#pragma once

#include <cstdint>

namespace stravener::gui {

// The language the program starts in from the stored value (or, at a first start, the
// system's): 0 Polish, 1 English. Any other value (a damaged store) starts in English, and
// English is then stored at the end.
int StartupLanguage(int32_t stored);

}  // namespace stravener::gui
