#include "app/format.h"
#include "platform/program_version.h"

namespace stravener {

std::string ProgramVersionText() {
  return FormatText("%d.%d.%d.%d", STRAVENER_VERSION_MAJOR, STRAVENER_VERSION_MINOR, STRAVENER_VERSION_PATCH,
                    STRAVENER_VERSION_TWEAK);
}

}  // namespace stravener
