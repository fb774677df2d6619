#pragma once

#include <string>

// A path of the machine that runs Wine, as the Windows programs under it name it: Wine
// shows the whole file system as drive Z:. Windows paths pass unchanged.
inline std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}
