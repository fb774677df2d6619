#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace stravener {

uint32_t LastSystemError() { return static_cast<uint32_t>(errno); }

bool SystemErrorText(uint32_t code, std::string& text) {
  // A code the C library does not know has no text of its own (strerror would only
  // make up "Unknown error N").
  if (code > 0x7fffffffu || strerrordesc_np(static_cast<int>(code)) == nullptr) return false;
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in the buffer.
  const char* message = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  if (message == nullptr || *message == '\0') return false;
  text = message;
  return true;
}

}  // namespace stravener
