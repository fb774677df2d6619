// The version information of a program file: the VERSIONINFO resource its build put in.

#include <windows.h>

#include <string>
#include <vector>

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
  return std::to_string(HIWORD(fixed->dwProductVersionMS)) + '.' + std::to_string(LOWORD(fixed->dwProductVersionMS)) +
         '.' + std::to_string(HIWORD(fixed->dwProductVersionLS)) + '.' + std::to_string(LOWORD(fixed->dwProductVersionLS));
}

std::string ProgramVersionText() {
  // The full path of the program's own file, at most MAX_PATH characters.
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return FileVersionText(std::string(path, length));
}

}  // namespace stravener
