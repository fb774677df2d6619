#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/system_language.h"

namespace stravener {

int SystemLanguage() {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') {
      name = value;
      break;
    }
  }
  if (name == nullptr) return 1;
  // The language is what stands before the territory, the code set and the modifier.
  const size_t length = std::strcspn(name, "_.@");
  return length == 2 && std::strncmp(name, "pl", 2) == 0 ? 0 : 1;
}

}  // namespace stravener
