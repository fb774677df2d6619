#include "app/format.h"

#include "app/language.h"

namespace stravener {

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

const char* PickTextOrEmpty(const char* polish, const char* english) {
  const char* text = PickText(polish, english);
  return text != nullptr ? text : "";
}

}  // namespace stravener
