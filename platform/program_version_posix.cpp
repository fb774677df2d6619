#include <string>

#include "platform/program_version.h"

namespace stravener {

std::string ProgramVersionText() {
  return std::to_string(STRAVENER_VERSION_MAJOR) + '.' + std::to_string(STRAVENER_VERSION_MINOR) + '.' +
         std::to_string(STRAVENER_VERSION_PATCH) + '.' + std::to_string(STRAVENER_VERSION_TWEAK);
}

}  // namespace stravener
