#include "app/format.h"
#include "app/locale_free_format.h"

namespace stravener {

std::string FormatTextV(const char* format, va_list args) {
  if (format == nullptr) return {};
  // The Windows C library has no per-thread locale that snprintf would follow.
  return FormatLocaleFree(format, args);
}

}  // namespace stravener
