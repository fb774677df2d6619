#include <windows.h>

#include "platform/system_language.h"

namespace stravener {

int SystemLanguage() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH ? 0 : 1; }

}  // namespace stravener
