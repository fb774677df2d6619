// The version information of a program file: the VERSIONINFO resource its build put in.

#include <windows.h>

#include <vector>

#include "app/format.h"
#include "platform/program_version.h"

namespace stravener {

std::string FileVersionText(const std::string& path) {
  if (path.empty()) return {};
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
  void* root = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\", &root, &length) || root == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
  return FormatText("%d.%d.%d.%d", static_cast<int>(HIWORD(fixed->dwProductVersionMS)),
                    static_cast<int>(LOWORD(fixed->dwProductVersionMS)),
                    static_cast<int>(HIWORD(fixed->dwProductVersionLS)),
                    static_cast<int>(LOWORD(fixed->dwProductVersionLS)));
}

std::string ProgramVersionText() {
  // The full path of the program's own file, at most MAX_PATH characters.
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return FileVersionText(std::string(path, length));
}

}  // namespace stravener
