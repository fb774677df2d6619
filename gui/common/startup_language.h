#pragma once

#include <cstdint>

namespace stravener::gui {

// The language the program starts in from the stored value: 0 Polish, 1 English. Any
// other value (a damaged store) starts in English, as a first start does, and English is
// then stored at the end.
int StartupLanguage(int32_t stored);

}  // namespace stravener::gui
