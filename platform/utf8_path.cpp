#include "platform/utf8_path.h"

namespace stravener {

std::filesystem::path PathFromUtf8(const std::string& text) {
  try {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
  } catch (...) {
    // On Windows the conversion to the system's wide text refuses bytes that are no UTF-8.
    return std::filesystem::path();
  }
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  try {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  } catch (...) {
    return std::string();
  }
}

}  // namespace stravener
