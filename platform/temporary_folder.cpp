#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/utf8_path.h"

namespace stravener {

std::string TemporaryFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
#if defined(_WIN32)
  return error ? std::string("C:\\Windows\\Temp") : Utf8FromPath(folder);
#else
  return error ? std::string("/tmp") : Utf8FromPath(folder);
#endif
}

}  // namespace stravener
