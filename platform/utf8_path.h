#pragma once

#include <filesystem>
#include <string>

namespace stravener {

// Paths are UTF-8 text everywhere in the program: the desktop toolkit gives them so, and the
// command line takes its arguments so on every platform. std::filesystem reads a plain
// std::string in the system's 8-bit code page on Windows, so paths go through these.
//
// A text that is no UTF-8 gives an empty path (nothing is found there).
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace stravener
