// The plain lines about a port that does not open, on Windows.

#include <windows.h>

#include "link/port_trouble.h"

namespace stravener {

std::string PortWithDevice(const std::string& name) { return name; }

void ExplainOpenFailure(EventLog& log, const std::string& name, uint32_t code) {
  // A COM port opens for one handle at a time: another program's gives these.
  if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) {
    LOG_TEXT(log, LogKind::Error, "Port %s jest zajęty przez inny program: zamknij go i spróbuj ponownie.",
             "Another program holds %s: close it, then try again.", name.c_str());
  }
}

}  // namespace stravener
