#include "app/format.h"

#include "app/language.h"

namespace stravener {

namespace format_detail {

std::string FormatPrintfArgs(const char* format, fmt::printf_args args) {
  if (format == nullptr) return {};
  try {
    return fmt::vsprintf(fmt::string_view(format), args);
  } catch (const std::exception&) {
    // A format that does not fit its arguments (fmt::format_error), or no memory.
    return {};
  }
}

}  // namespace format_detail

const char* PickTextOrEmpty(const char* polish, const char* english) {
  const char* text = PickText(polish, english);
  return text != nullptr ? text : "";
}

}  // namespace stravener
